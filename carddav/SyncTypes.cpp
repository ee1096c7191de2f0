#include "carddav/SyncTypes.h"

namespace velkaro {

bool SyncCounts::ChangesCards() const
{
    return added > 0 || changed > 0 || removed > 0;
}

}  // namespace velkaro
