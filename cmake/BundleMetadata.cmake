# The two bundles' information property lists and entitlements, as macOS signs them. Written on
# every platform, so that their test runs wherever the tests run.
set(ORVANE_APP_ID "tamsel.Orvane-")
# CFBundleShortVersionString is the project's version, which a release's tag names;
# CFBundleVersion, which Sparkle compares, must grow with every release: the release script
# gives the commit count.
set(ORVANE_BUILD_NUMBER ${PROJECT_VERSION} CACHE STRING "CFBundleVersion (releases: commit count)")
if(NOT ORVANE_BUILD_NUMBER MATCHES "^[0-9]+(\\.[0-9]+)?(\\.[0-9]+)?$")
  message(FATAL_ERROR "ORVANE_BUILD_NUMBER ${ORVANE_BUILD_NUMBER}: CFBundleVersion is one to three "
                      "numbers separated by dots.")
endif()
set(ORVANE_SPARKLE_FEED_URL "" CACHE STRING "Sparkle's appcast address (SUFeedURL)")
set(ORVANE_SPARKLE_PUBLIC_KEY "" CACHE STRING "Sparkle's EdDSA public key (SUPublicEDKey)")

function(orvane_plist_string out text)
  string(REPLACE "&" "&amp;" text "${text}")
  string(REPLACE "<" "&lt;" text "${text}")
  string(REPLACE ">" "&gt;" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The update feed's keys, only for a build that carries Sparkle and names its feed.
set(ORVANE_UPDATE_FEED_KEYS "")
if(ORVANE_SPARKLE_FEED_URL)
  orvane_plist_string(feed "${ORVANE_SPARKLE_FEED_URL}")
  orvane_plist_string(key "${ORVANE_SPARKLE_PUBLIC_KEY}")
  set(ORVANE_UPDATE_FEED_KEYS "\t<key>SUFeedURL</key>\n\t<string>${feed}</string>\n\t<key>SUPublicEDKey</key>\n\t<string>${key}</string>\n")
endif()

# The languages both bundles carry, as their .lproj folders name them.
file(GLOB lprojs CONFIGURE_DEPENDS RELATIVE ${ORVANE_ROOT}/app/Resources
     ${ORVANE_ROOT}/app/Resources/*.lproj)
list(TRANSFORM lprojs REPLACE "(.+)\\.lproj" "\t\t<string>\\1</string>\n")
list(JOIN lprojs "" ORVANE_LOCALIZATIONS)

set(ORVANE_BUNDLE_METADATA ${CMAKE_BINARY_DIR}/bundle-metadata)
configure_file(${ORVANE_ROOT}/app/bundle/Info.plist.in
               ${ORVANE_BUNDLE_METADATA}/Orvane+/Info.plist @ONLY)
configure_file(${ORVANE_ROOT}/app/bundle/Orvane+.entitlements
               ${ORVANE_BUNDLE_METADATA}/Orvane+/Orvane+.entitlements COPYONLY)
configure_file(${ORVANE_ROOT}/extension/bundle/Info.plist.in
               ${ORVANE_BUNDLE_METADATA}/OrvaneExtension/Info.plist @ONLY)
configure_file(${ORVANE_ROOT}/extension/bundle/OrvaneExtension.entitlements
               ${ORVANE_BUNDLE_METADATA}/OrvaneExtension/OrvaneExtension.entitlements COPYONLY)
