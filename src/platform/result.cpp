#include "platform/result.h"

#include "platform/translation.h"

namespace platform {

Failure SystemFailure(unsigned long error) {
  return {Fill(Tr(L"error {code}"), {{L"code", std::to_wstring(error)}}), error};
}

}  // namespace platform
