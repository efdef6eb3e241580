# SQLite for the Windows build: the amalgamation tools/windows-sqlite makes from Debian's own source
# package, of the version the Linux build links, compiled here as a static library with the options
# Debian compiles its libsqlite3 with (debian/rules: its CFLAGS and what its configure options turn
# on), so that both builds run the same SQLite. The target is SQLite::SQLite3, the name the Linux
# build finds it by. Without the amalgamation the Windows build has no SQLite and says so.
set(PATHMENDER_SQLITE_AMALGAMATION /opt/pathmender/sqlite-amalgamation CACHE PATH
    "SQLite's amalgamation for the Windows build (made by tools/windows-sqlite)")
set(sqlite_dir ${PATHMENDER_SQLITE_AMALGAMATION})
if(NOT EXISTS ${sqlite_dir}/sqlite3.c)
  message(STATUS "No SQLite for Windows: no amalgamation in ${sqlite_dir} (tools/windows-sqlite makes it)")
  return()
endif()

file(STRINGS ${sqlite_dir}/debian-version sqlite_debian_version LIMIT_COUNT 1)
# The Linux build's SQLite is the installed libsqlite3-dev: another version here is an error.
find_program(PM_DPKG_QUERY dpkg-query)
if(PM_DPKG_QUERY)
  execute_process(COMMAND ${PM_DPKG_QUERY} -W -f=\${source:Version} libsqlite3-dev
                  OUTPUT_VARIABLE linux_version RESULT_VARIABLE status ERROR_QUIET)
  if(status EQUAL 0 AND NOT linux_version STREQUAL sqlite_debian_version)
    message(FATAL_ERROR "The SQLite amalgamation in ${sqlite_dir} is Debian's ${sqlite_debian_version}, the "
                        "installed libsqlite3-dev ${linux_version}: run tools/windows-sqlite")
  endif()
endif()
message(STATUS "SQLite for Windows: Debian's ${sqlite_debian_version}, from ${sqlite_dir}")

enable_language(C)
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG")
add_library(pm_sqlite STATIC ${sqlite_dir}/sqlite3.c)
target_include_directories(pm_sqlite SYSTEM PUBLIC ${sqlite_dir})
target_compile_definitions(pm_sqlite PRIVATE
  SQLITE_SECURE_DELETE SQLITE_ENABLE_COLUMN_METADATA
  SQLITE_ENABLE_FTS3 SQLITE_ENABLE_FTS3_PARENTHESIS SQLITE_ENABLE_FTS4 SQLITE_ENABLE_FTS5
  SQLITE_ENABLE_RTREE=1 SQLITE_SOUNDEX=1
  SQLITE_ENABLE_UNLOCK_NOTIFY
  SQLITE_OMIT_LOOKASIDE=1 SQLITE_ENABLE_DBSTAT_VTAB
  SQLITE_ALLOW_ROWID_IN_VIEW
  SQLITE_ENABLE_UPDATE_DELETE_LIMIT=1
  SQLITE_ENABLE_LOAD_EXTENSION
  SQLITE_ENABLE_JSON1
  SQLITE_LIKE_DOESNT_MATCH_BLOBS
  SQLITE_THREADSAFE=1
  SQLITE_ENABLE_FTS3_TOKENIZER=1
  SQLITE_USE_URI=1
  SQLITE_MAX_SCHEMA_RETRY=25
  SQLITE_ENABLE_PREUPDATE_HOOK
  SQLITE_ENABLE_SESSION
  SQLITE_ENABLE_STMTVTAB
  SQLITE_MAX_VARIABLE_NUMBER=250000
  SQLITE_ENABLE_MATH_FUNCTIONS
  HAVE_ISNAN)
# Not our code: its warnings are not ours to fix.
target_compile_options(pm_sqlite PRIVATE -w)
add_library(SQLite::SQLite3 ALIAS pm_sqlite)
