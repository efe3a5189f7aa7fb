// The extension's requests arrive as URLs of the host's scheme; each is routed by its host part
// and its request is read from the shared container at that moment.

#include "app/shell/AppDelegate.h"
#include "platform/Url.h"
#include "shared/RequestHandoff.h"

namespace orv {

void AppDelegate::applicationOpenURLs(const std::vector<std::string>& urls) {
    handleIncomingURLs(urls);
}

void AppDelegate::handleIncomingURLs(const std::vector<std::string>& urls) {
    for (const auto& text : urls) {
        const auto url = Url::parse(text);
        if (!url || !url->host) {
            continue;
        }
        // Exact and case-sensitive; the rest of the URL carries nothing.
        if (*url->host == handoff::kCreateHost) {
            handleCreateRequest();
        } else if (*url->host == handoff::kPasteHost) {
            handlePasteRequest();
        }
    }
}

void AppDelegate::applicationURLsArrived(const std::vector<std::string>& urls) {
    for (const auto& text : urls) {
        const auto url = Url::parse(text);
        if (!url || url->host != handoff::kCreateHost) {
            continue;
        }
        const std::lock_guard lock(createRequestsMutex_);
        if (auto request = handoff::takeCreateRequest(platform_.files, log)) {
            arrivedCreateRequests_.push_back(std::move(*request));
        } else {
            log("A create URL arrived with no request waiting: one made at the same moment took "
                "its place");
        }
    }
}

void AppDelegate::handleCreateRequest() {
    std::optional<handoff::CreateRequest> request;
    {
        const std::lock_guard lock(createRequestsMutex_);
        if (arrivedCreateRequests_.empty()) {
            request = handoff::takeCreateRequest(platform_.files, log);
        } else {
            request = std::move(arrivedCreateRequests_.front());
            arrivedCreateRequests_.pop_front();
        }
    }
    if (!request) {
        return;
    }
    const Path folder(request->folder);
    // Never resolved against the host's own working folder, never cut short at a NUL.
    const bool nul = (request->folder + request->ext).find('\0') != std::string::npos;
    if (nul || !folder.isAbsolute()) {
        const std::string why = "“" + request->folder +
                                (nul ? "” names no folder: the request holds a NUL byte."
                                     : "” is not an absolute folder path.");
        log("ERROR creating: %{public}@", why);
        showAlert(platform_.bundle.localizedString("alert.createRefused"), why);
        return;
    }
    createFile(folder, request->ext);
}

void AppDelegate::showAlert(const std::string& message, const std::string& detail) {
    Alert alert;
    alert.messageText = message;
    alert.informativeText = detail;
    platform_.mainQueue.async([this, alert] { platform_.alerts.runModal(alert); });
}

} // namespace orv
