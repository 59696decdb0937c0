#pragma once

#include <QIcon>
#include <QImage>
#include <array>

namespace app {

/// The built-in header picture (160 x 65, 24 bits per pixel): a sensor dome
/// with an infrared wave, drawn at start so the program ships no image file.
QImage BuiltInLogo();

/// The application icon at `size` x `size` pixels (32-bit, with alpha): the
/// logo's dome and wave stacked on a white tile, so it reads on light and
/// dark panels alike.
QImage ApplicationIconImage(int size);

/// The icon sizes the program and the desktop theme carry, in pixels.
constexpr std::array<int, 7> kApplicationIconSizes = {16, 24, 32, 48, 64, 128, 256};

/// The application icon at every size of kApplicationIconSizes.
QIcon ApplicationIcon();

}  // namespace app
