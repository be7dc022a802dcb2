# The Debian package, built by `cpack -G DEB` in the build folder: everything `cmake --install`
# installs, under /usr, with its library dependencies worked out by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME lumapress)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Lumapress)
set(CPACK_PACKAGE_CONTACT "Lumapress maintainers <maintainers@lumapress.example>")
set(CPACK_PACKAGE_HOMEPAGE_URL https://lumapress.example/)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converter of PNG images into Flash movies (SWF)")
set(CPACK_PACKAGE_DESCRIPTION
    "Lumapress turns an ordered list of PNG images into a Flash movie (SWF version 6): a slide
show in which each image fills the stage for its display time, or one movie per image.
Images are stored as JPEG of a chosen quality or losslessly, and keep their transparency.
It comes as a desktop dialog (lumapress) and a command-line tool (lumapress-cli) that reads
long lists of images from files.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # lumapress_1.2_amd64.deb
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A shared library of our own in the package gets its shlibs file and the ldconfig trigger.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "parallel")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "bash-completion")

include(CPack)
