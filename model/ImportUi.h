#pragma once

// What the import flow asks beside its messages: the import dialog over the
// read table and how the imported cards join the existing ones.

#include "MessageUi.h"

#include <optional>
#include <string>
#include <vector>

namespace velkaro {

class CImportConfig;
class CImportTable;
class CKarte;

class IImportUi : public virtual IMessageUi {
public:
    // The import dialog over the read table: the configuration comes in with
    // the options preloaded and the assignment the field assignment page
    // makes when it opens; true (OK) leaves the user's choices in it. Without
    // a dialog the configuration is taken as it is.
    virtual bool EditImportConfig(const CImportTable& /*table*/, CImportConfig& /*config*/,
                                  const CKarte* /*fieldNames*/)
    {
        return true;
    }
    // How imported cards join the existing ones (0 delete old cards, 1 mix,
    // 2 mix and replace duplicates), preset with the last choice; nothing on
    // Cancel.
    virtual std::optional<int> ChooseImportMode(int current) { return current; }
    // Which of a workbook's visible sheets to import (their names in the
    // workbook's order, Windows-1252): its index in the list, nothing on
    // Cancel. Without a dialog the first.
    virtual std::optional<int> ChooseSheet(const std::vector<std::string>& /*names*/) { return 0; }
};

}  // namespace velkaro
