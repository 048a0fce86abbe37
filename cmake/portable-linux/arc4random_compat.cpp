// arc4random for the portable Linux build (cmake/PortableLinux.cmake).
//
// A static libstdc++ brings std::random_device, which calls arc4random: a
// glibc 2.36 symbol. Defined here on top of getrandom (glibc 2.25), the
// program's own definition satisfies that reference, and the program keeps
// running on glibc 2.34 and 2.35. The demo itself never calls it.
#include <sys/random.h>

#include <cstdint>

extern "C" std::uint32_t arc4random() noexcept {
    std::uint32_t value = 0;
    while (getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value)) {
    }
    return value;
}
