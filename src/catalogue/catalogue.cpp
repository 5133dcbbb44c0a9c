#include "catalogue/catalogue.h"

namespace catalogue {

std::vector<const Item*> RunOrder() {
  std::vector<const Item*> order;
  for (auto stage : {BrowserItems(), WindowsItems(), MessengerItems(), OfficeItems(), MailItems()}) {
    for (const Item& item : stage) order.push_back(&item);
  }
  return order;
}

}  // namespace catalogue
