#pragma once

#include <QIcon>

namespace quova {

// The program's icon, drawn at run time: a play triangle on a dark disc.
QIcon AppIcon();

}  // namespace quova
