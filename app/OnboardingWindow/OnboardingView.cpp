#include "app/OnboardingWindow/OnboardingView.h"

#include "platform/Url.h"

namespace orv {

namespace {

constexpr std::string_view kOnboardingCompleteKey = "onboardingComplete";
constexpr std::string_view kAccessibilitySettingsURL =
    "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";
constexpr double kPollInterval = 1.0;
constexpr int kBezelPush = 1;
constexpr int kBezelInline = 15;
constexpr int kBoxSeparator = 2;
// The card's labels are told apart by size: the title above 12 points, the detail at 12.
constexpr double kCardTitleSize = 13;
constexpr double kCardDetailSize = 12;
constexpr double kLabelSizeBoundary = 12;

} // namespace

std::shared_ptr<OnboardingView> OnboardingView::make(Rect frame, const Platform& platform) {
    auto view = std::make_shared<OnboardingView>(Tag{}, frame, platform);
    view->setup();
    return view;
}

std::weak_ptr<OnboardingView> OnboardingView::weakSelf() {
    return std::static_pointer_cast<OnboardingView>(shared_from_this());
}

void OnboardingView::setup() {
    wantsLayer = true;
    layerBackgroundColor = Color::windowBackground();

    auto icon = std::make_shared<ImageView>();
    icon->image = platform_.application.applicationIconImage();

    auto title = TextField::labelWithString(text("onboarding.title"));
    title->font = Font{22, FontWeight::bold};
    title->textColor = Color::label();
    title->alignment = TextAlignment::center;

    auto subtitle = TextField::labelWithString(text("onboarding.subtitle"));
    subtitle->font = Font{13, FontWeight::regular};
    subtitle->textColor = Color::secondaryLabel();
    subtitle->alignment = TextAlignment::center;

    auto separator = std::make_shared<Box>();
    separator->boxType = kBoxSeparator;

    step1Card = makeCard(text("onboarding.step1.title"), text("onboarding.step1.detail"));
    step2Card = makeCard(text("onboarding.step2.title"), text("onboarding.step2.detail"));

    actionBtn = Button::withTitle(text("onboarding.btn.step1"), this, "actionTapped");
    actionBtn->bezelStyle = kBezelPush;
    actionBtn->font = Font{14, FontWeight::semibold};
    actionBtn->contentTintColor = Color::white();
    actionBtn->wantsLayer = true;
    actionBtn->layerBackgroundColor = Color::controlAccent();
    actionBtn->layerCornerRadius = 8;
    actionBtn->bordered = false;

    auto skip = Button::withTitle(text("onboarding.skip"), this, "skipTapped");
    skip->bezelStyle = kBezelInline;
    skip->bordered = false;
    skip->font = Font{12, FontWeight::regular};
    skip->contentTintColor = Color::secondaryLabel();

    for (const ViewPtr& v : std::initializer_list<ViewPtr>{icon, title, subtitle, separator,
                                                           step1Card, step2Card, actionBtn, skip}) {
        v->translatesAutoresizingMaskIntoConstraints = false;
        addSubview(v);
    }

    LayoutConstraint::activate({
        icon->centerXAnchor().constraintEqualTo(centerXAnchor()),
        icon->topAnchor().constraintEqualTo(topAnchor(), 48),
        icon->widthAnchor().constraintEqualToConstant(80),
        icon->heightAnchor().constraintEqualToConstant(80),
        title->centerXAnchor().constraintEqualTo(centerXAnchor()),
        title->topAnchor().constraintEqualTo(icon->bottomAnchor(), 16),
        subtitle->centerXAnchor().constraintEqualTo(centerXAnchor()),
        subtitle->topAnchor().constraintEqualTo(title->bottomAnchor(), 6),
        separator->leadingAnchor().constraintEqualTo(leadingAnchor(), 32),
        separator->trailingAnchor().constraintEqualTo(trailingAnchor(), -32),
        separator->topAnchor().constraintEqualTo(subtitle->bottomAnchor(), 24),
        step1Card->leadingAnchor().constraintEqualTo(leadingAnchor(), 16),
        step1Card->trailingAnchor().constraintEqualTo(trailingAnchor(), -16),
        step1Card->topAnchor().constraintEqualTo(separator->bottomAnchor(), 20),
        step2Card->leadingAnchor().constraintEqualTo(leadingAnchor(), 16),
        step2Card->trailingAnchor().constraintEqualTo(trailingAnchor(), -16),
        step2Card->topAnchor().constraintEqualTo(step1Card->bottomAnchor(), 12),
        actionBtn->leadingAnchor().constraintEqualTo(leadingAnchor(), 16),
        actionBtn->trailingAnchor().constraintEqualTo(trailingAnchor(), -16),
        actionBtn->topAnchor().constraintEqualTo(step2Card->bottomAnchor(), 32),
        actionBtn->heightAnchor().constraintEqualToConstant(42),
        skip->centerXAnchor().constraintEqualTo(centerXAnchor()),
        skip->topAnchor().constraintEqualTo(actionBtn->bottomAnchor(), 10),
    });

    refresh();
    startPolling();
}

ViewPtr OnboardingView::makeCard(const std::string& title, const std::string& detail) {
    auto card = std::make_shared<View>();
    card->translatesAutoresizingMaskIntoConstraints = false;
    card->wantsLayer = true;
    card->layerCornerRadius = 10;
    card->horizontalContentHuggingPriority = 250;

    auto titleLabel = TextField::labelWithString(title);
    titleLabel->font = Font{kCardTitleSize, FontWeight::semibold};
    titleLabel->textColor = Color::label();
    titleLabel->alignment = TextAlignment::center;
    titleLabel->translatesAutoresizingMaskIntoConstraints = false;
    card->addSubview(titleLabel);

    auto detailLabel = TextField::wrappingLabelWithString(detail);
    detailLabel->font = Font{kCardDetailSize, FontWeight::regular};
    detailLabel->textColor = Color::secondaryLabel();
    detailLabel->alignment = TextAlignment::center;
    detailLabel->translatesAutoresizingMaskIntoConstraints = false;
    card->addSubview(detailLabel);

    LayoutConstraint::activate({
        titleLabel->leadingAnchor().constraintEqualTo(card->leadingAnchor(), 16),
        titleLabel->trailingAnchor().constraintEqualTo(card->trailingAnchor(), -16),
        titleLabel->topAnchor().constraintEqualTo(card->topAnchor(), 14),
        detailLabel->leadingAnchor().constraintEqualTo(titleLabel->leadingAnchor()),
        detailLabel->trailingAnchor().constraintEqualTo(titleLabel->trailingAnchor()),
        detailLabel->topAnchor().constraintEqualTo(titleLabel->bottomAnchor(), 4),
        detailLabel->bottomAnchor().constraintEqualTo(card->bottomAnchor(), -14),
        card->heightAnchor().constraintGreaterThanOrEqualToConstant(64),
    });
    return card;
}

void OnboardingView::updateCard(View& card, bool done, const std::string& title,
                                const std::string& detail) {
    card.layerBackgroundColor =
        done ? Color::systemGreen().withAlpha(0.12) : Color::controlAccent().withAlpha(0.08);
    std::vector<TextField*> labels;
    for (const auto& sub : card.subviews()) {
        if (auto* label = dynamic_cast<TextField*>(sub.get())) {
            labels.push_back(label);
        }
    }
    TextField* titleLabel = nullptr;
    TextField* detailLabel = nullptr;
    for (auto* label : labels) {
        if (titleLabel == nullptr && label->font && label->font->pointSize > kLabelSizeBoundary) {
            titleLabel = label;
        }
        if (detailLabel == nullptr &&
            (!label->font || label->font->pointSize <= kLabelSizeBoundary)) {
            detailLabel = label;
        }
    }
    if (titleLabel != nullptr) {
        titleLabel->stringValue = title;
    }
    if (detailLabel != nullptr) {
        detailLabel->stringValue = detail;
    }
}

void OnboardingView::refresh() {
    if (!step1Done) {
        step1Done = platform_.finderExtension.isExtensionEnabled();
    }
    if (!step2Done) {
        step2Done = platform_.accessibility.isProcessTrusted();
    }
    updateCard(*step1Card, step1Done, text("onboarding.step1.title"),
               text(step1Done ? "onboarding.step1.done" : "onboarding.step1.detail"));
    updateCard(*step2Card, step2Done, text("onboarding.step2.title"),
               text(step2Done ? "onboarding.step2.done" : "onboarding.step2.detail"));
    if (!step1Done) {
        actionBtn->title = text("onboarding.btn.step1");
    } else if (step2Done) {
        actionBtn->title = text("onboarding.btn.done");
        actionBtn->layerBackgroundColor = Color::systemGreen();
    } else {
        actionBtn->title = text("onboarding.btn.step2");
    }
}

void OnboardingView::startPolling() {
    if (timer) {
        timer->invalidate();
    }
    timer = platform_.mainQueue.scheduledTimer(kPollInterval, true, [weak = weakSelf()](Timer&) {
        if (const auto view = weak.lock()) {
            view->refresh();
            if (view->step1Done && view->step2Done && view->timer) {
                view->timer->invalidate();
            }
        }
    });
}

void OnboardingView::observeReturnFromSettings(int step) {
    auto& center = platform_.notifications;
    // The block removes its own registration, so it reaches its token through this slot; the
    // slot holds it weakly, so the centre alone keeps the observer.
    auto token = std::make_shared<std::weak_ptr<NotificationCenter::Observer>>();
    *token = center.addObserver(kApplicationDidBecomeActiveNotification,
                                [&center, token, weak = weakSelf(), step] {
                                    if (const auto self = token->lock()) {
                                        center.removeObserver(self);
                                    }
                                    if (const auto view = weak.lock()) {
                                        (step == 1 ? view->step1Done : view->step2Done) = true;
                                        view->refresh();
                                    }
                                });
}

void OnboardingView::actionTapped() {
    if (!step1Done) {
        platform_.application.setActivationPolicy(ActivationPolicy::regular);
        platform_.application.activateIgnoringOtherApps(true);
        platform_.finderExtension.showExtensionManagementInterface();
        observeReturnFromSettings(1);
        startPolling();
    } else if (!step2Done) {
        (void)platform_.accessibility.isProcessTrustedWithOptions(true);
        if (Url::parse(kAccessibilitySettingsURL)) {
            platform_.workspace.openURL(kAccessibilitySettingsURL);
        }
        observeReturnFromSettings(2);
        startPolling();
    } else {
        platform_.standardDefaults.setBool(true, kOnboardingCompleteKey);
        if (Window* w = window()) {
            w->close();
        }
        platform_.application.setActivationPolicy(ActivationPolicy::accessory);
    }
}

void OnboardingView::skipTapped() {
    if (Window* w = window()) {
        w->close();
    }
    platform_.application.setActivationPolicy(ActivationPolicy::accessory);
}

bool OnboardingView::performAction(std::string_view selector, Sender) {
    if (selector == "actionTapped") {
        actionTapped();
        return true;
    }
    if (selector == "skipTapped") {
        skipTapped();
        return true;
    }
    return false;
}

} // namespace orv
