// Runs the whole program on the portable layer with a message sequence drawn from `data`,
// through the message loop and straight to the window procedure, and checks after every
// message what must always hold. Returns an empty string when everything held and the
// program ended with exit code 0 on the final Escape; otherwise what went wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

std::string RunMessageFuzz(const std::uint8_t* data, std::size_t size);
