#pragma once
// The one place where Foundation and AppKit values become the project's types and back:
// strings, file URLs, errors, colours and rectangles. Objective-C++ only.

#import <AppKit/AppKit.h>

#include "platform/Color.h"
#include "platform/Expected.h"
#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/Path.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

NS_ASSUME_NONNULL_BEGIN

namespace orv::mac {

inline NSString* toNS(std::string_view text) {
    NSString* string = [[NSString alloc] initWithBytes:text.data()
                                                length:text.size()
                                              encoding:NSUTF8StringEncoding];
    return string != nil ? string : @"";
}

inline std::string toStd(NSString* _Nullable text) {
    const char* bytes = text != nil ? text.UTF8String : nullptr;
    return bytes != nullptr ? std::string(bytes) : std::string();
}

// A path is the POSIX path of a file URL: absolute, decoded, no trailing slash.
inline NSURL* fileURL(const Path& path) {
    return [NSURL fileURLWithPath:toNS(path.str())];
}

inline std::optional<Path> pathOf(NSURL* _Nullable url) {
    if (url == nil || !url.isFileURL || url.path == nil) {
        return std::nullopt;
    }
    return Path(toStd(url.path));
}

inline std::vector<Path> pathsOf(NSArray<NSURL*>* _Nullable urls) {
    std::vector<Path> paths;
    for (NSURL* url in urls) {
        if (auto path = pathOf(url)) {
            paths.push_back(*path);
        }
    }
    return paths;
}

inline NSArray<NSURL*>* fileURLs(const std::vector<Path>& paths) {
    NSMutableArray<NSURL*>* urls = [NSMutableArray arrayWithCapacity:paths.size()];
    for (const Path& path : paths) {
        [urls addObject:fileURL(path)];
    }
    return urls;
}

// Foundation's file errors carry the POSIX error beneath them; its kind is what callers test.
inline Error errorOf(NSError* _Nullable error) {
    if (error == nil) {
        return Error{0, "Unknown error"};
    }
    NSError* underlying = error.userInfo[NSUnderlyingErrorKey];
    const bool posix = [underlying.domain isEqualToString:NSPOSIXErrorDomain];
    const int code = posix ? static_cast<int>(underlying.code) : static_cast<int>(error.code);
    auto kind = Error::Kind::other;
    if (error.code == NSFileWriteFileExistsError || (posix && underlying.code == EEXIST)) {
        kind = Error::Kind::alreadyExists;
    } else if (error.code == NSFileNoSuchFileError || error.code == NSFileReadNoSuchFileError) {
        kind = Error::Kind::notFound;
    }
    return Error{code, toStd(error.localizedDescription), kind};
}

inline Status statusOf(BOOL succeeded, NSError* _Nullable error) {
    return succeeded ? ok() : Status(errorOf(error));
}

// A named colour stays semantic, so it follows the appearance (dark mode) as AppKit's does;
// only an alpha that differs from the named colour's own is applied to it.
inline NSColor* toNS(const Color& color) {
    const std::pair<Color, NSColor*> named[] = {
        {Color::label(), NSColor.labelColor},
        {Color::secondaryLabel(), NSColor.secondaryLabelColor},
        {Color::black(), NSColor.blackColor},
        {Color::white(), NSColor.whiteColor},
        {Color::systemGreen(), NSColor.systemGreenColor},
        {Color::controlAccent(), NSColor.controlAccentColor},
        {Color::windowBackground(), NSColor.windowBackgroundColor},
    };
    for (const auto& [model, native] : named) {
        if (!color.name.empty() && model.name == color.name) {
            return model.alpha == color.alpha ? native
                                              : [native colorWithAlphaComponent:color.alpha];
        }
    }
    return [NSColor colorWithSRGBRed:color.red green:color.green blue:color.blue alpha:color.alpha];
}

inline NSFontWeight fontWeight(FontWeight weight) {
    switch (weight) {
    case FontWeight::ultraLight:
        return NSFontWeightUltraLight;
    case FontWeight::thin:
        return NSFontWeightThin;
    case FontWeight::light:
        return NSFontWeightLight;
    case FontWeight::regular:
        return NSFontWeightRegular;
    case FontWeight::medium:
        return NSFontWeightMedium;
    case FontWeight::semibold:
        return NSFontWeightSemibold;
    case FontWeight::bold:
        return NSFontWeightBold;
    case FontWeight::heavy:
        return NSFontWeightHeavy;
    case FontWeight::black:
        return NSFontWeightBlack;
    }
    return NSFontWeightRegular;
}

inline NSRect toNS(Rect rect) {
    return NSMakeRect(rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
}

} // namespace orv::mac

NS_ASSUME_NONNULL_END
