# Script mode: writes OUTPUT with the build-time values that AppVersion reads.
find_package(Git QUIET)
set(GIT_DESCRIBE "")
set(COMMIT_COUNT "")
if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} describe --always --dirty --tags
                    WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE GIT_DESCRIBE
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-list --count HEAD
                    WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_VARIABLE COMMIT_COUNT
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(BUILD_NUMBER STREQUAL "")
    set(BUILD_NUMBER "${COMMIT_COUNT}")
endif()

function(escape_for_cpp name value)
    string(REPLACE "\\" "\\\\" value "${value}")
    string(REPLACE "\"" "\\\"" value "${value}")
    set(${name} "${value}" PARENT_SCOPE)
endfunction()
escape_for_cpp(VERSION "${VERSION}")
escape_for_cpp(BUILD_NUMBER "${BUILD_NUMBER}")
escape_for_cpp(BUILD_KIND "${BUILD_KIND}")
escape_for_cpp(GIT_DESCRIBE "${GIT_DESCRIBE}")
escape_for_cpp(COPYRIGHT "${COPYRIGHT}")

set(content "#pragma once
// Generated at build time by cmake/WriteBuildInfo.cmake; do not edit.
#define PANEMARK_INFO_SHORT_VERSION \"${VERSION}\"
#define PANEMARK_INFO_BUILD \"${BUILD_NUMBER}\"
#define PANEMARK_INFO_BUILD_KIND \"${BUILD_KIND}\"
#define PANEMARK_INFO_GIT_DESCRIBE \"${GIT_DESCRIBE}\"
#define PANEMARK_INFO_COPYRIGHT \"${COPYRIGHT}\"
")
file(WRITE "${OUTPUT}.tmp" "${content}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
