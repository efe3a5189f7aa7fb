#pragma once

#include "platform/Services.h"

#include <map>
#include <vector>

namespace orv::lnx {

// A user-defaults domain on Linux: the file <config home>/orvane/<domain>.defaults, one value
// per line as "key<TAB>type<TAB>value" (types bool and string). Every change is written
// through at once, atomically; lines it does not understand are kept as they are. A file that
// is there but cannot be read whole (not UTF-8, not a regular file) is never written over, so
// no setting in it is lost; a symbolic link is written through to its target.
class LinuxUserDefaults final : public UserDefaults {
  public:
    explicit LinuxUserDefaults(Path file);

    bool boolForKey(std::string_view key) override;
    void setBool(bool value, std::string_view key) override;
    bool synchronize() override;
    // Deletes the named domain's file; this object forgets its values when it is that domain.
    void removePersistentDomain(std::string_view name) override;

  private:
    struct Value {
        std::string type;
        std::string text;
    };
    void load();
    bool save();

    Path file_;
    std::map<std::string, Value, std::less<>> values_;
    std::vector<std::string> otherLines_; // kept as they are
    bool unreadable_ = false;
    bool lastWriteFailed_ = false;
};

// initWithSuiteName: on Linux; a name that cannot be a file name is refused.
class LinuxUserDefaultsSuites final : public UserDefaultsSuites {
  public:
    std::unique_ptr<UserDefaults> suite(std::string_view name) override;

    // The file that holds a domain's values.
    static Path fileFor(std::string_view domain);
};

} // namespace orv::lnx
