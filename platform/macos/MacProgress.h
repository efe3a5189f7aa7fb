#pragma once
// A long move's progress as Finder shows it: an NSProgress of kind file, published for the
// item being copied across volumes, whose bar and cancel button Finder draws on the item.

#include "platform/Progress.h"

namespace orv::mac {

class MacProgressPresenter final : public ProgressPresenter {
  public:
    std::unique_ptr<ProgressDisplay> show(const MoveProgressReport& report,
                                          std::function<void()> cancel) override;
};

} // namespace orv::mac
