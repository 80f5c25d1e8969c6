# Packages with CPack: a .tar.gz and a .deb of the Linux build, a .zip of
# the Windows build (scripts/package.sh makes all three).
set(CPACK_PACKAGE_NAME quorvane)
set(CPACK_PACKAGE_VENDOR "The Quorvane developers")
set(CPACK_PACKAGE_CONTACT "The Quorvane developers <quorvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "writes C++ headers describing the constant buffers of compiled HLSL shaders")
set(CPACK_PACKAGE_DESCRIPTION
  "Quorvane reads one compiled HLSL shader (DXBC, shader model 4 and 5) and
writes a C++ header declaring the variables of its first constant buffer:
name, float or bool, byte offset and size. It carries its own reader of the
compiled format and a CMake package with build rules. Licence: MIT.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_RESOURCE_FILE_README "${PROJECT_SOURCE_DIR}/README.md")
set(CPACK_PACKAGE_FILE_NAME "quorvane-${PROJECT_VERSION}-${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR "TGZ;DEB")
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  # The tool is linked statically (package.sh checks): it depends on no
  # shared library.
  set(CPACK_DEBIAN_PACKAGE_LICENSE MIT)
endif()
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
