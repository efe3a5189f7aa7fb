#include "platform/macos/MacProgress.h"

#include "platform/macos/Cocoa.h"

namespace orv::mac {

namespace {

// One NSProgress at a time, for the item being copied; an item that is only renamed has
// none. Each is unpublished when its item is done, so Finder takes the bar away.
class FileProgressDisplay final : public ProgressDisplay {
  public:
    explicit FileProgressDisplay(std::function<void()> cancel)
        : cancel_(std::make_shared<std::function<void()>>(std::move(cancel))) {}
    ~FileProgressDisplay() override { [progress_ unpublish]; }

    void update(const MoveProgressReport& report) override {
        if (progress_ != nil && report.target != target_) {
            progress_.completedUnitCount = progress_.totalUnitCount;
            [progress_ unpublish];
            progress_ = nil;
        }
        target_ = report.target;
        if (progress_ == nil && report.itemBytes > 0 && !report.finished) {
            progress_ = [[NSProgress alloc] initWithParent:nil userInfo:nil];
            progress_.kind = NSProgressKindFile;
            progress_.fileOperationKind = NSProgressFileOperationKindCopying;
            progress_.fileURL = fileURL(report.target);
            progress_.totalUnitCount = report.itemBytes;
            progress_.cancellable = YES;
            progress_.pausable = NO;
            // Called on any queue; the move, busy on the main thread, hears it at its next
            // piece of data.
            const auto cancel = cancel_;
            progress_.cancellationHandler = ^{
              (*cancel)();
            };
            [progress_ publish];
        }
        if (progress_ != nil) {
            progress_.completedUnitCount = report.itemCopied;
        }
    }

  private:
    std::shared_ptr<std::function<void()>> cancel_;
    NSProgress* progress_ = nil;
    Path target_;
};

} // namespace

std::unique_ptr<ProgressDisplay> MacProgressPresenter::show(const MoveProgressReport& report,
                                                            std::function<void()> cancel) {
    auto display = std::make_unique<FileProgressDisplay>(std::move(cancel));
    display->update(report);
    return display;
}

} // namespace orv::mac
