#pragma once

class QWidget;

namespace app {

/// Gives the scale column `column` the ground of the panel it lies on, except
/// under a dark palette (window darker than its text): there the labels'
/// fixed colours (navy, black) would sink into the ground, so the column keeps
/// the light face and dark text that the style has by default. Follows the
/// palette when it changes, for as long as the column lives.
void GiveScaleColumnItsGround(QWidget* column);

}  // namespace app
