#pragma once

#include "platform/engine/filter.h"

class QWidget;

namespace quova {

// A filter's settings page: every readable setting of the filter with its
// value, the changeable ones editable, captioned with the filter's name.
// Modal; OK and Apply hand the changed values to the filter, and a value the
// filter refuses is named in a message while the page stays open.
void ShowFilterPropertyPage(QWidget* owner, const engine::FilterPtr& filter);

}  // namespace quova
