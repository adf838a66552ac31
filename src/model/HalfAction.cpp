#include "model/HalfAction.h"

#include "model/LabeledChoice.h"

namespace panemark {

std::optional<HalfAction> HalfAction::fromRawValue(std::string_view raw) {
    return caseWithRawValue<HalfAction>(raw);
}

} // namespace panemark
