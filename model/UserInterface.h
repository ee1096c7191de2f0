#pragma once

// The whole user interface of the desktop program and the command line:
// messages and file choices (MessageUi.h), transfer progress (TransferUi.h)
// and the import's questions (ImportUi.h). The Qt layer and the command line
// implement it, tests script it; each flow takes only the part it uses.

#include "ImportUi.h"
#include "MessageUi.h"
#include "TransferUi.h"

namespace velkaro {

class IUserInterface : public ITransferUi, public IImportUi {};

}  // namespace velkaro
