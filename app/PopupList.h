#pragma once

#include <QComboBox>
#include <functional>

namespace app {

/// A pick-only drop-down list that tells its owner just before its list
/// opens, so the owner can bring the entries up to date first.
class PopupList : public QComboBox {
 public:
  using QComboBox::QComboBox;

  /// Runs before the list opens; it may change the entries.
  std::function<void()> OnPopup;

  void showPopup() override;
};

}  // namespace app
