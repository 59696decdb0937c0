#include "app/PopupList.h"

namespace app {

void PopupList::showPopup() {
  if (OnPopup) OnPopup();
  QComboBox::showPopup();
}

}  // namespace app
