# SQLite, for reading and filtering the browsers' cookie databases.
#
# Debian ships no Windows build of SQLite, so the official amalgamation (one sqlite3.c and its
# sqlite3.h) is taken from the npm package that bundles it unchanged. The package and the two
# files are pinned: the version below and the sha256 of each file. The files are fetched with
# `npm pack` (which downloads one tarball and installs nothing) into third_party/sqlite/ of the
# checkout the first time a build tree is configured, checked on every configure, and never
# committed. Each build tree compiles them once, with our own options, into kestrom_sqlite.

set(KESTROM_SQLITE_VERSION 3.53.2)
set(KESTROM_SQLITE_PACKAGE better-sqlite3@12.11.1)
set(KESTROM_SQLITE_C_SHA256 60d2f39a3726cd6b9021da6f4e868608d66fbb6528a9f513dc8ffcc640493422)
set(KESTROM_SQLITE_H_SHA256 9e69a1353a4288450b0d5239ede11fc7f1f4c8e5eb07491fc8317eacb5b7de7e)
set(KESTROM_SQLITE_DIR ${CMAKE_SOURCE_DIR}/third_party/sqlite/${KESTROM_SQLITE_VERSION})

# True in `out` when both files are present with the pinned checksums.
function(kestrom_sqlite_files_good dir out)
  set(${out} FALSE PARENT_SCOPE)
  foreach(pair "sqlite3.c;${KESTROM_SQLITE_C_SHA256}" "sqlite3.h;${KESTROM_SQLITE_H_SHA256}")
    list(GET pair 0 name)
    list(GET pair 1 want)
    if(NOT EXISTS ${dir}/${name})
      return()
    endif()
    file(SHA256 ${dir}/${name} got)
    if(NOT got STREQUAL want)
      return()
    endif()
  endforeach()
  set(${out} TRUE PARENT_SCOPE)
endfunction()

function(kestrom_fetch_sqlite)
  # Two build trees of one checkout may configure at once: one fetches, the other waits.
  file(MAKE_DIRECTORY ${CMAKE_SOURCE_DIR}/third_party/sqlite)
  file(LOCK ${CMAKE_SOURCE_DIR}/third_party/sqlite/fetch.lock GUARD FUNCTION TIMEOUT 600)
  kestrom_sqlite_files_good(${KESTROM_SQLITE_DIR} good)
  if(good)
    return()
  endif()
  find_program(KESTROM_NPM npm)
  if(NOT KESTROM_NPM)
    message(FATAL_ERROR "SQLite ${KESTROM_SQLITE_VERSION} is fetched with npm, which is missing: run scripts/deps")
  endif()
  set(work ${CMAKE_SOURCE_DIR}/third_party/sqlite/download)
  file(REMOVE_RECURSE ${work})
  file(MAKE_DIRECTORY ${work})
  message(STATUS "Fetching SQLite ${KESTROM_SQLITE_VERSION} (${KESTROM_SQLITE_PACKAGE})")
  execute_process(
    COMMAND ${KESTROM_NPM} pack --silent --pack-destination ${work} ${KESTROM_SQLITE_PACKAGE}
    WORKING_DIRECTORY ${work}
    RESULT_VARIABLE result
    OUTPUT_QUIET
    ERROR_VARIABLE error)
  file(GLOB tarball ${work}/*.tgz)
  if(NOT result EQUAL 0 OR NOT tarball)
    file(REMOVE_RECURSE ${work})
    message(FATAL_ERROR "npm pack ${KESTROM_SQLITE_PACKAGE} failed (${result}): ${error}")
  endif()
  file(ARCHIVE_EXTRACT INPUT ${tarball} DESTINATION ${work}
       PATTERNS package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h)
  kestrom_sqlite_files_good(${work}/package/deps/sqlite3 good)
  if(NOT good)
    file(REMOVE_RECURSE ${work})
    message(FATAL_ERROR "The SQLite files of ${KESTROM_SQLITE_PACKAGE} do not have the pinned checksums")
  endif()
  # Moved into place only once checked, so a broken fetch never leaves files that look ready.
  file(REMOVE_RECURSE ${KESTROM_SQLITE_DIR})
  file(RENAME ${work}/package/deps/sqlite3 ${KESTROM_SQLITE_DIR})
  file(REMOVE_RECURSE ${work})
endfunction()

kestrom_fetch_sqlite()

add_library(kestrom_sqlite STATIC ${KESTROM_SQLITE_DIR}/sqlite3.c)
# Only the files that use SQLite see its header (the cookie stores and their tests link it
# themselves), so nothing else is compiled differently for it.
target_include_directories(kestrom_sqlite SYSTEM PUBLIC ${KESTROM_SQLITE_DIR})
# Our own options: no double-quoted string literals, no deprecated interfaces, no extension
# loading (the programs never load one), LIKE never matching blobs, and no memory statistics.
target_compile_definitions(kestrom_sqlite PRIVATE
  SQLITE_THREADSAFE=1
  SQLITE_DQS=0
  SQLITE_OMIT_DEPRECATED
  SQLITE_OMIT_LOAD_EXTENSION
  SQLITE_LIKE_DOESNT_MATCH_BLOBS
  SQLITE_DEFAULT_MEMSTATUS=0
  SQLITE_OMIT_SHARED_CACHE)
# Optimised even in debug trees: it is one large translation unit that we do not debug.
set_source_files_properties(${KESTROM_SQLITE_DIR}/sqlite3.c PROPERTIES COMPILE_OPTIONS "-O2;-w")
if(NOT WIN32)
  target_link_libraries(kestrom_sqlite PUBLIC m pthread)
endif()
