# The cask of the project's tap. The release script fills in version and sha256 and attaches
# the result to the GitHub release; the tap's Casks/orvane-plus.rb is that file.
cask "orvane-plus" do
  version "1.0.0"
  sha256 :no_check

  url "https://github.com/tamsel/orvane/releases/download/v#{version}/Orvane-#{version}.dmg"
  name "Orvane+"
  desc "Finder context menu to copy paths, cut and paste, and create new files"
  homepage "https://github.com/tamsel/orvane"

  livecheck do
    url :url
    strategy :github_latest
  end

  auto_updates true
  depends_on macos: ">= :tahoe"

  app "Orvane+.app"

  uninstall quit: "tamsel.Orvane-"

  # What the app's own Uninstall removes (app/shell/Uninstall.cpp).
  zap login_item: "Orvane+",
      script:     {
        executable: "/bin/sh",
        args:       ["-c", "for id in tamsel.Orvane- tamsel.Orvane-.OrvaneExtension; do " \
                           "tccutil reset Accessibility $id; tccutil reset All $id; done"],
      },
      trash:      [
        "~/Library/Application Support/tamsel.Orvane-",
        "~/Library/Caches/tamsel.Orvane-",
        "~/Library/Caches/tamsel.Orvane-.OrvaneExtension",
        "~/Library/Group Containers/K4W7P2Z9QD.tamsel.Orvane",
        "~/Library/Preferences/tamsel.Orvane-.OrvaneExtension.plist",
        "~/Library/Preferences/tamsel.Orvane-.plist",
        "~/Library/Saved Application State/tamsel.Orvane-.savedState",
      ]
end
