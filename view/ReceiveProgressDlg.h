#pragma once

// "Daten empfangen": shown while the telephone sends its cards or its call
// list; the total is not known, so there is no bar.

#include "view/SendProgressDlg.h"

namespace velkaro {

class CReceiveProgressDlg : public CTransferProgressDlg {
    Q_OBJECT
public:
    explicit CReceiveProgressDlg(bool callList, QWidget* parent = nullptr);

    bool CallList() const { return m_callList; }
    // Cards (or call records) received so far, line errors, and the speed
    // text ("Hoch" / "Normal").
    void Update(int count, int errorCount, const std::string& speedText);

private:
    bool m_callList;
};

}  // namespace velkaro
