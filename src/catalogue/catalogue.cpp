#include "catalogue/catalogue.h"

namespace catalogue {

std::vector<Stage> RunStages() {
  return {{BrowserItems()}, {WindowsItems()}, {MessengerItems()}, {OfficeItems(), PrepareOfficeItems}, {MailItems()}};
}

std::vector<const Item*> RunOrder() {
  std::vector<const Item*> order;
  for (const Stage& stage : RunStages()) {
    for (const Item& item : stage.items) order.push_back(&item);
  }
  return order;
}

}  // namespace catalogue
