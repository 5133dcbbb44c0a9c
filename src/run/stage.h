#pragma once
// One stretch of a run: the built-in items of a family, the custom files and folders, the plug-ins.
// The run walks its stages in order; each opens the rows of its own items.
#include <memory>
#include <vector>

#include "run/item_context.h"

namespace run {

class Stage {
 public:
  virtual ~Stage() = default;
  // Runs (or previews) each of its items that runs in this call, each in a row of its own, and sets
  // the progress its items carry.
  virtual void Run(ItemContext& context) const = 0;
  // Whether it runs again for each other user of the computer, with that user's values; the stages
  // that clean no user's own profile run once.
  virtual bool ForEveryUser() const { return false; }
};

using Stages = std::vector<std::unique_ptr<const Stage>>;

}  // namespace run
