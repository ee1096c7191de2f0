#include "ReceiveProgressDlg.h"

#include "text/Language.h"
#include "text/MessageIds.h"

namespace velkaro {

CReceiveProgressDlg::CReceiveProgressDlg(bool callList, QWidget* parent)
    : CTransferProgressDlg(parent)
    , m_callList(callList)
{
    setObjectName(QStringLiteral("receiveProgressDialog"));
    SetTexts(Text(msg::ReceiveCaption), Text(callList ? msg::ReceivingCallList : msg::ReceivingCards),
             Text(callList ? msg::ReceivedLinesLabel : msg::ReceivedCardsLabel));
    SetValues(0, 0, Text(msg::SpeedNormal));
}

void CReceiveProgressDlg::Update(int count, int errorCount, const std::string& speedText)
{
    SetValues(count, errorCount, speedText);
}

}  // namespace velkaro
