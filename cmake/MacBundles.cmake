# The two bundles on macOS: OrvaneExtension.appex inside Orvane+.app, both signed (ad hoc unless
# given an identity) by packaging/macos/sign.sh, and a .dmg by CPack's DragNDrop.
set(ORVANE_CODESIGN_IDENTITY "-" CACHE STRING "codesign identity (\"-\": ad hoc)")
set(ORVANE_TEAM_ID "" CACHE STRING "the signing team, which must own the app group")
# The app group carries its team's prefix: a bundle signed by another team cannot use it, and
# the two halves would no longer share their requests.
if(ORVANE_TEAM_ID AND NOT ORVANE_TEAM_ID STREQUAL "K4W7P2Z9QD")
  message(FATAL_ERROR "The app group K4W7P2Z9QD.tamsel.Orvane belongs to team K4W7P2Z9QD; "
                      "ORVANE_TEAM_ID ${ORVANE_TEAM_ID} cannot sign for it (see docs/macos.md).")
endif()

# Sparkle checks the feed the Info.plist names and trusts only updates signed with its key.
if(ORVANE_SPARKLE_FRAMEWORK AND NOT (ORVANE_SPARKLE_FEED_URL AND ORVANE_SPARKLE_PUBLIC_KEY))
  message(FATAL_ERROR "ORVANE_SPARKLE_FRAMEWORK needs ORVANE_SPARKLE_FEED_URL and "
                      "ORVANE_SPARKLE_PUBLIC_KEY: without them Sparkle cannot check for updates.")
endif()

# The extension: entered through NSExtensionMain, linking only the macOS layer's extension
# services.
add_executable(OrvaneExtension MACOSX_BUNDLE ${ORVANE_ROOT}/extension/macos/FinderSyncPrincipal.mm)
set_target_properties(OrvaneExtension PROPERTIES
  BUNDLE_EXTENSION appex
  MACOSX_BUNDLE_INFO_PLIST ${ORVANE_BUNDLE_METADATA}/OrvaneExtension/Info.plist)
target_link_options(OrvaneExtension PRIVATE -fapplication-extension -e _NSExtensionMain)
target_link_libraries(OrvaneExtension PRIVATE orvane_extension orvane_platform_macos_ext)
# Every source the appex links is compiled as extension-safe code, so that the compiler refuses
# an API an app extension may not use. The host links the same portable objects: code safe in
# an extension is safe in an app.
foreach(target OrvaneExtension orvane_extension orvane_shared orvane_platform orvane_platform_posix
               orvane_platform_macos_ext)
  target_compile_options(${target} PRIVATE -fapplication-extension)
endforeach()

# The host.
add_executable(OrvaneApp MACOSX_BUNDLE ${ORVANE_ROOT}/app/main_macos.mm)
set_target_properties(OrvaneApp PROPERTIES
  OUTPUT_NAME "Orvane+"
  MACOSX_BUNDLE_INFO_PLIST ${ORVANE_BUNDLE_METADATA}/Orvane+/Info.plist
  INSTALL_RPATH "@executable_path/../Frameworks"
  BUILD_WITH_INSTALL_RPATH ON)
target_link_libraries(OrvaneApp PRIVATE orvane_app orvane_platform_macos)
add_dependencies(OrvaneApp OrvaneExtension)

set(appex $<TARGET_BUNDLE_DIR:OrvaneExtension>)
set(contents $<TARGET_BUNDLE_CONTENT_DIR:OrvaneApp>)
add_custom_command(TARGET OrvaneExtension POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${ORVANE_EXTENSION_RESOURCES} ${appex}/Contents/Resources
  VERBATIM)

# The app assembled, then signed where it ships by packaging/macos/sign.sh, which the release
# script runs again with the Developer ID.
set(sparkle_steps)
set(sparkle_flag)
if(ORVANE_SPARKLE_FRAMEWORK)
  set(sparkle_steps
    COMMAND ditto ${ORVANE_SPARKLE_FRAMEWORK} ${contents}/Frameworks/Sparkle.framework)
  set(sparkle_flag --sparkle)
endif()
add_custom_command(TARGET OrvaneApp POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${ORVANE_APP_RESOURCES} ${contents}/Resources
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${contents}/PlugIns/OrvaneExtension.appex
  COMMAND ditto ${appex} ${contents}/PlugIns/OrvaneExtension.appex
  ${sparkle_steps}
  COMMAND ${ORVANE_ROOT}/packaging/macos/sign.sh $<TARGET_BUNDLE_DIR:OrvaneApp>
          ${ORVANE_CODESIGN_IDENTITY} ${ORVANE_BUNDLE_METADATA} ${sparkle_flag}
  VERBATIM)

install(TARGETS OrvaneApp BUNDLE DESTINATION .)
set(CPACK_GENERATOR DragNDrop)
set(CPACK_PACKAGE_NAME "Orvane+")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DMG_VOLUME_NAME "Orvane+")
include(CPack)
