# The main bundle (build-tree share/quillmark, installed to share/quillmark): Info.json and the resource
# bundle Quillmark_Quillmark.bundle with the fonts and the About window's lockup images.
set(QUILLMARK_SHORT_VERSION "${PROJECT_VERSION}" CACHE STRING "CFBundleShortVersionString in Info.json")
set(QUILLMARK_BUNDLE_VERSION "${PROJECT_VERSION}" CACHE STRING "CFBundleVersion in Info.json")
set(QUILLMARK_SENTRY_DSN "" CACHE STRING "Crash report DSN (QuillmarkSentryDSN); empty: no crash reports are sent")
set(QUILLMARK_FEED_URL "" CACHE STRING "Appcast feed URL (SUFeedURL); empty: the updater is not configured")
set(QUILLMARK_PUBLIC_ED_KEY "" CACHE STRING "Base64 Ed25519 public key of update signatures (SUPublicEDKey)")
set(QUILLMARK_JETBRAINS_MONO_DIR "/usr/share/fonts/truetype/jetbrains-mono" CACHE PATH
    "Where fonts-jetbrains-mono put its .ttf files")
set(QUILLMARK_PLEX_SANS_WOFF2
    "${PROJECT_SOURCE_DIR}/third_party/npm/node_modules/@ibm/plex-sans/fonts/complete/woff2/IBMPlexSans-Regular.woff2"
    CACHE FILEPATH "IBM Plex Sans Regular as WOFF2 (npm package @ibm/plex-sans)")

set(QUILLMARK_SHARE_DIR "${PROJECT_BINARY_DIR}/share/quillmark")
set(QUILLMARK_RESOURCE_BUNDLE_DIR "${QUILLMARK_SHARE_DIR}/Quillmark_Quillmark.bundle")

# Values are written into JSON strings: escape backslashes and quotes.
foreach(var QUILLMARK_SHORT_VERSION QUILLMARK_BUNDLE_VERSION QUILLMARK_SENTRY_DSN QUILLMARK_FEED_URL
            QUILLMARK_PUBLIC_ED_KEY)
  string(REPLACE "\\" "\\\\" _escaped "${${var}}")
  string(REPLACE "\"" "\\\"" _escaped "${_escaped}")
  set(${var}_JSON "${_escaped}")
endforeach()
block(SCOPE_FOR VARIABLES)
  foreach(var QUILLMARK_SHORT_VERSION QUILLMARK_BUNDLE_VERSION QUILLMARK_SENTRY_DSN QUILLMARK_FEED_URL
              QUILLMARK_PUBLIC_ED_KEY)
    set(${var} "${${var}_JSON}")
  endforeach()
  configure_file(${CMAKE_CURRENT_LIST_DIR}/Info.json.in ${QUILLMARK_SHARE_DIR}/Info.json @ONLY)
endblock()

set(_quillmark_bundle_files)
function(quillmark_bundle_copy source name)
  set(output "${QUILLMARK_RESOURCE_BUNDLE_DIR}/${name}")
  add_custom_command(OUTPUT "${output}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${QUILLMARK_RESOURCE_BUNDLE_DIR}"
    COMMAND ${CMAKE_COMMAND} -E copy_if_different "${source}" "${output}"
    DEPENDS "${source}" VERBATIM)
  set(_quillmark_bundle_files ${_quillmark_bundle_files} "${output}" PARENT_SCOPE)
endfunction()

foreach(face Regular Medium)
  set(_font "${QUILLMARK_JETBRAINS_MONO_DIR}/JetBrainsMono-${face}.ttf")
  if(EXISTS "${_font}")
    quillmark_bundle_copy("${_font}" "JetBrainsMono-${face}.ttf")
  else()
    message(WARNING "JetBrainsMono-${face}.ttf not found in ${QUILLMARK_JETBRAINS_MONO_DIR} (run scripts/setup-deps); "
                    "the program falls back to the system monospaced font")
  endif()
endforeach()

# Plex ships only WOFF/WOFF2: turn it into a .ttf. woff2_decompress writes next to its input.
find_program(QUILLMARK_WOFF2_DECOMPRESS woff2_decompress)
if(QUILLMARK_WOFF2_DECOMPRESS AND EXISTS "${QUILLMARK_PLEX_SANS_WOFF2}")
  set(_work "${PROJECT_BINARY_DIR}/resources/plex")
  set(_output "${QUILLMARK_RESOURCE_BUNDLE_DIR}/IBMPlexSans-Regular.ttf")
  add_custom_command(OUTPUT "${_output}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${_work}" "${QUILLMARK_RESOURCE_BUNDLE_DIR}"
    COMMAND ${CMAKE_COMMAND} -E copy "${QUILLMARK_PLEX_SANS_WOFF2}" "${_work}/IBMPlexSans-Regular.woff2"
    COMMAND "${QUILLMARK_WOFF2_DECOMPRESS}" "${_work}/IBMPlexSans-Regular.woff2"
    COMMAND ${CMAKE_COMMAND} -E copy "${_work}/IBMPlexSans-Regular.ttf" "${_output}"
    DEPENDS "${QUILLMARK_PLEX_SANS_WOFF2}" VERBATIM)
  list(APPEND _quillmark_bundle_files "${_output}")
else()
  message(WARNING "IBM Plex Sans not bundled (needs woff2_decompress and ${QUILLMARK_PLEX_SANS_WOFF2}; "
                  "run scripts/setup-deps)")
endif()

# The display face (Isolation Grotesque) has no free copy: it is not bundled and the system font stands in.
foreach(image Quillmark_Lockup_Dark Quillmark_Lockup_Light)
  quillmark_bundle_copy("${CMAKE_CURRENT_LIST_DIR}/${image}.png" "${image}.png")
endforeach()

add_custom_target(quillmark_resources ALL DEPENDS ${_quillmark_bundle_files})

install(DIRECTORY "${QUILLMARK_SHARE_DIR}/" DESTINATION share/quillmark)
