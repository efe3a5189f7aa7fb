#include "platform/linux/LinuxUserDefaults.h"

#include "platform/linux/Environment.h"
#include "platform/linux/LinuxFileManager.h"

#include <climits>
#include <unistd.h>

namespace orv::lnx {

namespace {

std::string escape(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char e = text[++i];
        out += e == 't' ? '\t' : e == 'n' ? '\n' : e;
    }
    return out;
}

// Where a write to `file` must go: a symbolic link is followed to its final target, so the
// link (a dotfile manager's, say) stays a link.
Path writeTarget(Path file) {
    char target[PATH_MAX];
    for (int hops = 0; hops < 40; ++hops) {
        const ssize_t n = readlink(file.str().c_str(), target, sizeof target);
        if (n <= 0) {
            break;
        }
        const std::string_view link(target, static_cast<std::size_t>(n));
        file = link.front() == '/' ? Path(link) : file.deletingLastComponent().appending(link);
    }
    return file;
}

} // namespace

LinuxUserDefaults::LinuxUserDefaults(Path file) : file_(std::move(file)) {
    load();
}

void LinuxUserDefaults::load() {
    values_.clear();
    otherLines_.clear();
    LinuxFileManager files;
    const auto text = files.readUTF8(file_);
    unreadable_ = !text && text.error().kind != Error::Kind::notFound;
    if (!text) {
        return;
    }
    std::string_view rest = *text;
    while (!rest.empty()) {
        const auto lf = rest.find('\n');
        const auto line = rest.substr(0, lf);
        rest.remove_prefix(lf == std::string_view::npos ? rest.size() : lf + 1);
        const auto tab1 = line.find('\t');
        const auto tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos) {
            if (!line.empty()) {
                otherLines_.emplace_back(line);
            }
            continue;
        }
        values_.insert_or_assign(unescape(line.substr(0, tab1)),
                                 Value{std::string(line.substr(tab1 + 1, tab2 - tab1 - 1)),
                                       unescape(line.substr(tab2 + 1))});
    }
}

bool LinuxUserDefaults::save() {
    if (unreadable_) {
        lastWriteFailed_ = true;
        return false;
    }
    std::string text;
    for (const auto& [key, value] : values_) {
        text += escape(key) + '\t' + value.type + '\t' + escape(value.text) + '\n';
    }
    for (const auto& line : otherLines_) {
        text += line + '\n';
    }
    const Path target = writeTarget(file_);
    lastWriteFailed_ =
        !makeDirectories(target.deletingLastComponent(), 0700) || !writeAtomically(target, text);
    return !lastWriteFailed_;
}

bool LinuxUserDefaults::boolForKey(std::string_view key) {
    const auto found = values_.find(key);
    return found != values_.end() && found->second.type == "bool" && found->second.text == "true";
}

void LinuxUserDefaults::setBool(bool value, std::string_view key) {
    values_.insert_or_assign(std::string(key), Value{"bool", value ? "true" : "false"});
    save();
}

bool LinuxUserDefaults::synchronize() {
    if (lastWriteFailed_ && !save()) {
        return false;
    }
    // Take in what other processes wrote since.
    load();
    return true;
}

void LinuxUserDefaults::removePersistentDomain(std::string_view name) {
    const Path file = LinuxUserDefaultsSuites::fileFor(name);
    if (file == file_) {
        values_.clear();
    }
    unlink(file.str().c_str());
}

Path LinuxUserDefaultsSuites::fileFor(std::string_view domain) {
    return configHome().appending("orvane").appending(std::string(domain) + ".defaults");
}

std::unique_ptr<UserDefaults> LinuxUserDefaultsSuites::suite(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos) {
        return nullptr;
    }
    return std::make_unique<LinuxUserDefaults>(fileFor(name));
}

} // namespace orv::lnx
