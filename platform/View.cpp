#include "platform/View.h"

#include <algorithm>

namespace orv {

namespace {

LayoutConstraintPtr make(const LayoutAnchor& first, LayoutRelation relation,
                         const LayoutAnchor* second, double constant) {
    auto c = std::make_shared<LayoutConstraint>();
    c->firstItem = first.view;
    c->firstAttribute = first.attribute;
    c->relation = relation;
    if (second != nullptr) {
        c->secondItem = second->view;
        c->secondAttribute = second->attribute;
    }
    c->constant = constant;
    return c;
}

// The views from `view` up to the root.
std::vector<View*> ancestry(View* view) {
    std::vector<View*> chain;
    for (; view != nullptr; view = view->superview()) {
        chain.push_back(view);
    }
    return chain;
}

} // namespace

LayoutConstraintPtr LayoutAnchor::constraintEqualTo(const LayoutAnchor& other,
                                                    double constant) const {
    return make(*this, LayoutRelation::equal, &other, constant);
}

LayoutConstraintPtr LayoutAnchor::constraintGreaterThanOrEqualTo(const LayoutAnchor& other,
                                                                 double constant) const {
    return make(*this, LayoutRelation::greaterThanOrEqual, &other, constant);
}

LayoutConstraintPtr LayoutAnchor::constraintEqualToConstant(double constant) const {
    return make(*this, LayoutRelation::equal, nullptr, constant);
}

LayoutConstraintPtr LayoutAnchor::constraintGreaterThanOrEqualToConstant(double constant) const {
    return make(*this, LayoutRelation::greaterThanOrEqual, nullptr, constant);
}

void LayoutConstraint::activate(const std::vector<LayoutConstraintPtr>& constraints) {
    for (const auto& c : constraints) {
        const auto first = c->firstItem.lock();
        if (!first || c->active) {
            continue;
        }
        View* owner = first.get();
        if (const auto second = c->secondItem.lock()) {
            const auto firstChain = ancestry(first.get());
            const auto secondChain = ancestry(second.get());
            owner = nullptr;
            for (View* candidate : firstChain) {
                if (std::find(secondChain.begin(), secondChain.end(), candidate) !=
                    secondChain.end()) {
                    owner = candidate;
                    break;
                }
            }
            if (owner == nullptr) {
                continue; // AppKit refuses constraints between unrelated views
            }
        }
        c->active = true;
        owner->constraints_.push_back(c);
    }
}

void View::addSubview(const ViewPtr& view) {
    if (view->superview_ != nullptr) {
        auto& siblings = view->superview_->subviews_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), view), siblings.end());
    }
    view->superview_ = this;
    subviews_.push_back(view);
}

Window* View::window() const {
    for (const View* v = this; v != nullptr; v = v->superview_) {
        if (v->window_ != nullptr) {
            return v->window_;
        }
    }
    return nullptr;
}

std::shared_ptr<TextField> TextField::labelWithString(std::string text) {
    auto label = std::make_shared<TextField>();
    label->stringValue = std::move(text);
    return label;
}

std::shared_ptr<TextField> TextField::wrappingLabelWithString(std::string text) {
    auto label = labelWithString(std::move(text));
    label->wraps = true;
    return label;
}

std::shared_ptr<Button> Button::withTitle(std::string title, Responder* target,
                                          std::string action) {
    auto button = std::make_shared<Button>();
    button->title = std::move(title);
    button->target = target;
    button->action = std::move(action);
    return button;
}

void Button::performClick() {
    if (target != nullptr && !action.empty()) {
        target->performAction(action, this);
    }
}

Window::Window(Rect contentRect, std::uint64_t styleMask, int backing, bool defer)
    : contentRect(contentRect), styleMask(styleMask), backing(backing), defer(defer) {}

void Window::setContentView(const ViewPtr& view) {
    if (contentView_) {
        contentView_->window_ = nullptr;
    }
    contentView_ = view;
    if (view) {
        view->window_ = this;
        view->frame = Rect{{0, 0}, contentRect.size};
    }
}

void Window::makeKeyAndOrderFront(Sender) {
    visible = true;
    key = true;
    ++frontCount;
}

void Window::orderFront(Sender) {
    visible = true;
    ++frontCount;
}

void Window::close() {
    visible = false;
    key = false;
}

void WindowController::showWindow(Sender sender) {
    if (window_) {
        window_->makeKeyAndOrderFront(sender);
    }
}

} // namespace orv
