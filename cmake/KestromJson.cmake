# nlohmann/json, for the check program's machine-readable findings and its policy documents.
#
# Debian's nlohmann-json3-dev is header-only and the same headers serve the Windows build, but the
# cross compiler must never see the host's /usr/include as a whole (glibc's headers would shadow
# mingw's). So only the nlohmann/ folder is copied into the build tree, and kestrom_json points there.
find_path(KESTROM_JSON_INCLUDE nlohmann/json.hpp
          PATHS /usr/include /usr/local/include
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT KESTROM_JSON_INCLUDE)
  message(FATAL_ERROR "nlohmann/json.hpp not found: run scripts/deps (it installs nlohmann-json3-dev)")
endif()
file(COPY ${KESTROM_JSON_INCLUDE}/nlohmann DESTINATION ${CMAKE_BINARY_DIR}/third_party/include)
add_library(kestrom_json INTERFACE)
target_include_directories(kestrom_json SYSTEM INTERFACE ${CMAKE_BINARY_DIR}/third_party/include)
