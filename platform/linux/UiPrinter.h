#pragma once
// The host's user interface as text, for a person and for tests: the activation policy, each
// status item with its icon and menu (titles, actions, targets, key equivalents, enabled
// states), and every open window with its views, texts, colours and constraints.

#include "platform/Application.h"

#include <string>
#include <vector>

namespace orv::lnx {

std::string describeUserInterface(const Application& application,
                                  const std::vector<StatusItemPtr>& statusItems);

std::string describeMenu(const Menu& menu, const std::string& indent);
std::string describeColor(const Color& color);

} // namespace orv::lnx
