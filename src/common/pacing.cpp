#include "common/pacing.h"

namespace brindle {

Pacing &CurrentPacing()
{
    static Pacing pacing;
    return pacing;
}

} // namespace brindle
