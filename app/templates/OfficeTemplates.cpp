#include "app/templates/OfficeTemplates.h"

#include <cstddef>

// Defined by the sources generated from empty.docx, empty.xlsx and empty.pptx.
extern const unsigned char kEmptyDocx[];
extern const std::size_t kEmptyDocxSize;
extern const unsigned char kEmptyXlsx[];
extern const std::size_t kEmptyXlsxSize;
extern const unsigned char kEmptyPptx[];
extern const std::size_t kEmptyPptxSize;

namespace orv::templates {

namespace {
std::string_view bytes(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}
} // namespace

std::string_view emptyDocxPackage() {
    return bytes(kEmptyDocx, kEmptyDocxSize);
}
std::string_view emptyXlsxPackage() {
    return bytes(kEmptyXlsx, kEmptyXlsxSize);
}
std::string_view emptyPptxPackage() {
    return bytes(kEmptyPptx, kEmptyPptxSize);
}

} // namespace orv::templates
