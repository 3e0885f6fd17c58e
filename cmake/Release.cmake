# What a release package holds, and how CPack names it: dist/Dravik-<version>-win32.zip from the 32-bit
# build, dist/Dravik-<version>-win64.zip from the 64-bit one. scripts/release.sh makes both.
install(TARGETS Dravik dravik-send RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/dravik DESTINATION include)
install(FILES ${PROJECT_SOURCE_DIR}/examples/README.md ${PROJECT_SOURCE_DIR}/examples/print_c.c
              ${PROJECT_SOURCE_DIR}/examples/print_cpp.cpp ${PROJECT_SOURCE_DIR}/examples/show-output.bat
        DESTINATION examples)
install(FILES ${PROJECT_SOURCE_DIR}/res/ReadMe.txt DESTINATION .)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(DRAVIK_RELEASE_PLATFORM win64)
else()
    set(DRAVIK_RELEASE_PLATFORM win32)
endif()
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Dravik)
set(CPACK_PACKAGE_VENDOR "Korvane Software")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Dravik-${PROJECT_VERSION}-${DRAVIK_RELEASE_PLATFORM})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
