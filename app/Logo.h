#pragma once

#include <QImage>

namespace app {

/// The built-in header picture (160 x 65, 24 bits per pixel): a sensor dome
/// with an infrared wave, drawn at start so the program ships no image file.
QImage BuiltInLogo();

}  // namespace app
