#!/usr/bin/env bash
# A release of Orvane+ that a user can download and open, made on a Mac by the release workflow
# or by a maintainer by hand (docs/macos.md, "Releasing"):
#   1. the Developer ID certificate into a temporary keychain, deleted at the end;
#   2. the bundles built, CFBundleVersion the commit count, then signed with the Developer ID,
#      the hardened runtime and a secure timestamp, innermost first (sign.sh);
#   3. the .dmg with its Applications link, signed, notarized, stapled, then checked by
#      Gatekeeper (spctl) and codesign;
#   4. the update signed for Sparkle and the appcast extended with it (generate_appcast);
#   5. the Homebrew cask filled in, and the .dmg, the appcast and the cask attached to the
#      GitHub release of the tag.
# Usage: release.sh [--dry-run] [--no-publish] [TAG]  (TAG: v and the project's version)
#   --dry-run     print every command instead of running it (on any machine, with any values)
#   --no-publish  everything but the GitHub release; the files stay in build/release/out
set -euo pipefail
cd "$(dirname "$0")/../.."

fail() {
  echo "release: $*" >&2
  exit 1
}

dry=0 publish=1 tag=
for argument in "$@"; do
  case $argument in
    --dry-run) dry=1 ;;
    --no-publish) publish=0 ;;
    -*) fail "unknown option $argument" ;;
    *) tag=$argument ;;
  esac
done
version=$(sed -n 's/^project(Orvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
tag=${tag:-v$version}
[ "$tag" = "v$version" ] ||
  fail "tag $tag does not name the project's version $version: set it in CMakeLists.txt first"

# Secrets (masked in what a dry run prints), then settings; all named in docs/macos.md.
secrets=(MACOS_CERTIFICATE_P12 MACOS_CERTIFICATE_PASSWORD NOTARY_API_KEY NOTARY_API_KEY_ID
         NOTARY_API_ISSUER_ID SPARKLE_PRIVATE_KEY)
settings=(MACOS_SIGNING_IDENTITY SPARKLE_PUBLIC_KEY SPARKLE_FEED_URL SPARKLE_DIR GITHUB_REPOSITORY)
required=("${secrets[@]}" "${settings[@]}")
if [ $publish = 1 ]; then required+=(GH_TOKEN); fi
for name in "${required[@]}"; do
  [ -n "${!name:-}" ] || fail "$name is not set (see docs/macos.md, \"Releasing\")"
done
if [ $dry = 0 ]; then
  tools=(git cmake ninja security codesign xcrun hdiutil spctl ditto base64 shasum)
  if [ $publish = 1 ]; then tools+=(gh); fi
  for tool in "${tools[@]}" "$SPARKLE_DIR/bin/generate_appcast"; do
    command -v "$tool" >/dev/null || fail "$tool is missing"
  done
  [ -d "$SPARKLE_DIR/Sparkle.framework" ] || fail "SPARKLE_DIR holds no Sparkle.framework"
  if [ $publish = 1 ] && [ "$(git rev-parse HEAD)" != "$(git rev-parse "$tag^{commit}")" ]; then
    fail "check out $tag first"
  fi
  [ "$(git rev-parse --is-shallow-repository)" = false ] ||
    fail "a shallow clone: the commit count would be wrong (fetch the whole history)"
fi
# Sparkle updates when an appcast's CFBundleVersion is greater than the running one: the
# number of commits, which grows with every release made from one line of history.
build=$(git rev-list --count HEAD)

# A command, run or (dry run) printed with each secret's name for its text.
show() {
  local line="$*" name
  for name in "${secrets[@]}"; do line=${line//"${!name}"/\$$name}; done
  echo "$line"
}
run() {
  if [ $dry = 1 ]; then show "$@"; else "$@"; fi
}
# The same, its output into the file named first.
run_into() {
  local file=$1
  shift
  if [ $dry = 1 ]; then show "$@" ">" "$file"; else "$@" >"$file"; fi
}
# A secret's text (decoded, for the certificate) into a file readable by us alone.
write_secret() {
  (
    umask 077
    if [ "$1" = MACOS_CERTIFICATE_P12 ]; then
      run_into "$2" base64 --decode <<<"$MACOS_CERTIFICATE_P12"
    else
      run_into "$2" printf '%s\n' "${!1}"
    fi
  )
}

root=$PWD/build/release
work=$root/work out=$root/out
keychain=$work/release.keychain-db
run rm -rf "$root"
run mkdir -p "$work" "$out"
cleanup() {
  run security delete-keychain "$keychain" || true
  run rm -rf "$work"
}
trap cleanup EXIT

echo "== 1. the Developer ID certificate, in a keychain of its own"
keychain_password=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
run security create-keychain -p "$keychain_password" "$keychain"
run security set-keychain-settings -lut 3600 "$keychain"
run security unlock-keychain -p "$keychain_password" "$keychain"
write_secret MACOS_CERTIFICATE_P12 "$work/certificate.p12"
run security import "$work/certificate.p12" -k "$keychain" -P "$MACOS_CERTIFICATE_PASSWORD" \
  -T /usr/bin/codesign
run security set-key-partition-list -S apple-tool:,apple:,codesign: -s -k "$keychain_password" \
  "$keychain"
run security list-keychains -d user -s "$keychain" login.keychain-db

echo "== 2. the bundles, version $version build $build, signed with the Developer ID"
team=${MACOS_SIGNING_IDENTITY##*(}
run cmake --preset macos -B "$root/build" --fresh -DORVANE_BUILD_NUMBER="$build" \
  -DORVANE_TEAM_ID="${team%)}" \
  -DORVANE_SPARKLE_FRAMEWORK="$SPARKLE_DIR/Sparkle.framework" \
  -DORVANE_SPARKLE_FEED_URL="$SPARKLE_FEED_URL" -DORVANE_SPARKLE_PUBLIC_KEY="$SPARKLE_PUBLIC_KEY"
run cmake --build "$root/build"
app=$root/build/Orvane+.app
ORVANE_DRY_RUN=$dry packaging/macos/sign.sh "$app" "$MACOS_SIGNING_IDENTITY" \
  "$root/build/bundle-metadata" --sparkle

echo "== 3. the disk image: signed, notarized, stapled, checked"
dmg=$out/Orvane-$version.dmg
run mkdir "$work/image"
run ditto "$app" "$work/image/Orvane+.app"
run ln -s /Applications "$work/image/Applications"
run hdiutil create -volname Orvane+ -srcfolder "$work/image" -format UDZO -ov "$dmg"
run codesign --force --sign "$MACOS_SIGNING_IDENTITY" --timestamp "$dmg"
write_secret NOTARY_API_KEY "$work/notary.p8"
notary=$(run xcrun notarytool submit "$dmg" --key "$work/notary.p8" --key-id "$NOTARY_API_KEY_ID" \
  --issuer "$NOTARY_API_ISSUER_ID" --wait --output-format json)
echo "$notary"
if [ $dry = 0 ] && ! grep -Eq '"status" *: *"Accepted"' <<<"$notary"; then
  fail "notarization not accepted; xcrun notarytool log <id> --key … tells why"
fi
run xcrun stapler staple "$dmg"
run spctl --assess --type open --context context:primary-signature --verbose=2 "$dmg"
run spctl --assess --type execute --verbose=2 "$app"
run codesign --verify --strict --verbose=2 "$dmg"
run codesign --verify --strict --verbose=2 "$app/Contents/PlugIns/OrvaneExtension.appex"
run codesign --verify --strict --verbose=2 "$app"

echo "== 4. the update signed for Sparkle, the appcast extended"
run mkdir "$work/updates"
# The appcast of the latest release, which this one extends (none before the first release).
run gh release download --repo "$GITHUB_REPOSITORY" --pattern appcast.xml --dir "$work/updates" ||
  echo "no earlier appcast (none yet, or gh cannot reach it): a new one"
run cp "$dmg" "$work/updates/"
write_secret SPARKLE_PRIVATE_KEY "$work/sparkle.key"
run "$SPARKLE_DIR/bin/generate_appcast" --ed-key-file "$work/sparkle.key" \
  --download-url-prefix "https://github.com/$GITHUB_REPOSITORY/releases/download/$tag/" \
  "$work/updates"
run cp "$work/updates/appcast.xml" "$out/appcast.xml"
if [ $dry = 0 ]; then
  grep -q "<sparkle:version>$build</sparkle:version>" "$out/appcast.xml" ||
    fail "the appcast has no item of build $build"
fi

echo "== 5. the Homebrew cask, and the GitHub release"
sum=$(run shasum -a 256 "$dmg")
echo "$sum"
run_into "$out/orvane-plus.rb" sed -e "s|^  version .*|  version \"$version\"|" \
  -e "s|^  sha256 .*|  sha256 \"${sum%% *}\"|" \
  -e "s|https://github.com/[^/\"]*/[^/\"]*|https://github.com/$GITHUB_REPOSITORY|" \
  packaging/homebrew/orvane-plus.rb
if [ $publish = 1 ]; then
  run gh release create "$tag" "$dmg" "$out/appcast.xml" "$out/orvane-plus.rb" \
    --repo "$GITHUB_REPOSITORY" --title "Orvane+ $version" --verify-tag
else
  echo "not published: $out"
fi
