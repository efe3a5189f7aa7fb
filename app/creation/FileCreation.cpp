// New files: the first free name in the folder, the kind's contents, the log line, the reveal.

#include "app/shell/AppDelegate.h"
#include "app/templates/OfficeTemplates.h"
#include "platform/Text.h"

namespace orv {

namespace {

enum class Contents { iWork, docx, xlsx, pptx, rtf, empty };

// Compared exactly, case included: "TXT" or "Docx" is a plain kind.
Contents contentsFor(std::string_view ext) {
    if (ext == "pages" || ext == "numbers" || ext == "key") {
        return Contents::iWork;
    }
    if (ext == "xlsx") {
        return Contents::xlsx;
    }
    if (ext == "docx") {
        return Contents::docx;
    }
    if (ext == "pptx") {
        return Contents::pptx;
    }
    if (ext == "rtf") {
        return Contents::rtf;
    }
    return Contents::empty;
}

std::string_view bytesFor(Contents contents) {
    switch (contents) {
    case Contents::docx:
        return templates::emptyDocxPackage();
    case Contents::xlsx:
        return templates::emptyXlsxPackage();
    case Contents::pptx:
        return templates::emptyPptxPackage();
    case Contents::rtf:
        return templates::kRtfTemplateText;
    case Contents::iWork:
    case Contents::empty:
        break;
    }
    return {};
}

// Far more names than any folder holds: "Untitled 99999.txt" is the last one tried.
constexpr int kMaxNameTries = 100000;

// base.ext, then "base 1.ext", "base 2.ext", ...
Path candidate(const Path& folder, const std::string& base, std::string_view ext, int n) {
    std::string name = base;
    if (n > 0) {
        name += concat({" ", std::to_string(n)});
    }
    name += ".";
    name += ext;
    return folder.appending(name);
}

} // namespace

std::string AppDelegate::untitledBaseName() {
    return platform_.bundle.localizedString("file.untitled");
}

void AppDelegate::createFile(const Path& folder, std::string_view ext) {
    // A request must name a place: never a path resolved against our own working folder,
    // and never an extension that would put the file somewhere else.
    if (!folder.isAbsolute()) {
        log("ERROR creating: %{public}@", "“" + folder.str() + "” is not an absolute folder path.");
        return;
    }
    if (ext.find('/') != std::string_view::npos || ext.find('\0') != std::string_view::npos) {
        log("ERROR creating: %{public}@", "“" + std::string(ext) + "” is not a file extension.");
        return;
    }
    const std::string base = untitledBaseName();
    const Contents contents = contentsFor(ext);
    auto& files = platform_.files;
    // Bounded, so a folder where every name answers "taken" ends the search with an error.
    for (int n = 0; n < kMaxNameTries; ++n) {
        const Path file = candidate(folder, base, ext, n);
        if (files.fileExists(file)) {
            continue;
        }
        if (contents == Contents::iWork) {
            createIWorkDocument(file, ext);
            return;
        }
        // Exclusive: a name another process takes meanwhile is left alone and the next one
        // is tried.
        const auto created = files.createFileExclusively(file, bytesFor(contents));
        if (!created && created.error().kind == Error::Kind::alreadyExists) {
            continue;
        }
        if (!created) {
            log("ERROR creating: %{public}@", created.error().localizedDescription);
            return;
        }
        log("Created: %{public}@", file.str());
        revealAndRename(file);
        return;
    }
    log("ERROR creating: %{public}@", "“" + folder.str() + "” has no free name for a new file.");
}

} // namespace orv
