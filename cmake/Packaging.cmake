# The release zip for Windows users: the two programs exactly as built, a README for them and
# a SHA256SUMS file that `sha256sum -c` verifies.
install(TARGETS Zolvik zolvik-report RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/README.txt DESTINATION .)
# Runs when the zip's contents are staged, after the files above are in place.
install(CODE [[
  set(staged "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  set(sums "")
  foreach(name Zolvik.exe zolvik-report.exe)
    file(SHA256 "${staged}/${name}" hash)
    string(APPEND sums "${hash}  ${name}\n")
  endforeach()
  file(WRITE "${staged}/SHA256SUMS" "${sums}")
]])

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Zolvik)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME "Zolvik-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES OFF)
include(CPack)
