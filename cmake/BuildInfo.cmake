# Generates BuildInfo.h at every build (rewritten only when a value changes), so the version
# line always names the commit that was built.
set(PANEMARK_BUILD_INFO_DIR "${CMAKE_BINARY_DIR}/generated")
set(PANEMARK_BUILD_INFO_HEADER "${PANEMARK_BUILD_INFO_DIR}/BuildInfo.h")
add_custom_target(panemark_build_info
    COMMAND ${CMAKE_COMMAND}
        -DOUTPUT=${PANEMARK_BUILD_INFO_HEADER}
        -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
        -DVERSION=${PROJECT_VERSION}
        -DBUILD_KIND=${PANEMARK_BUILD_KIND}
        -DBUILD_NUMBER=${PANEMARK_BUILD_NUMBER}
        -DCOPYRIGHT=${PANEMARK_COPYRIGHT}
        -P ${CMAKE_SOURCE_DIR}/cmake/WriteBuildInfo.cmake
    BYPRODUCTS ${PANEMARK_BUILD_INFO_HEADER}
    COMMENT "Recording build information"
    VERBATIM)
