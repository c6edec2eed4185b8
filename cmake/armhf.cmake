# Cross build for the reader's 32-bit ARM processor (armhf) with Debian's cross toolchain and its
# multiarch packages: the armhf libraries (GoogleTest, Qt) are found beside the host's under
# /usr/lib/arm-linux-gnueabihf, the host's tools (moc, uic) run as they are.
#
#   cmake -S . -B build-arm -DCMAKE_TOOLCHAIN_FILE=cmake/armhf.cmake
#
# Programs built here run on the build machine under qemu-user: CTest and GoogleTest's test
# discovery go through CMAKE_CROSSCOMPILING_EMULATOR, which needs no binfmt_misc registration.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(CHECKERS_ARM_TRIPLET arm-linux-gnueabihf)
set(CMAKE_C_COMPILER ${CHECKERS_ARM_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${CHECKERS_ARM_TRIPLET}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${CHECKERS_ARM_TRIPLET})

# The programs run on Debian's armhf libraries (libc6:armhf, libstdc++6:armhf and, for the game,
# Qt), installed beside the host's: the dynamic loader and the C library then come from one
# package. (qemu's -L with the cross toolchain's folder would pair that folder's loader with the
# newer armhf C library found through the host's ld.so.cache; such a pair crashes after fork.)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-arm)

# Qt 6 builds for another processor with the host's Qt tools.
set(QT_HOST_PATH /usr)
