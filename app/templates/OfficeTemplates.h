#pragma once
// The contents of new documents that the host writes itself: the empty Office Open XML
// packages (packed from the parts in app/templates/<kind>/ by tools/pack_office.cpp) and the
// RTF text.

#include <string_view>

namespace orv::templates {

std::string_view emptyDocxPackage();
std::string_view emptyXlsxPackage();
std::string_view emptyPptxPackage();

// One font (Helvetica), 12 points (24 half-points), no text: 61 characters.
inline constexpr std::string_view kRtfTemplateText =
    "{\\rtf1\\ansi\\deff0 {\\fonttbl {\\f0 Helvetica;}} \\pard\\f0\\fs24 }";

} // namespace orv::templates
