#include "program/exit_status.h"

#include <cstdint>
#include <cstdio>
#include <string>

namespace quillbrook {

int exitStatusFor(HRESULT result)
{
    if (SUCCEEDED(result))
        return 0;
    const int lowByte = static_cast<int>(static_cast<std::uint32_t>(result) & 0xFFu);
    return lowByte != 0 ? lowByte : 1;
}

int reportExitStatus(std::string_view program, HRESULT result)
{
    if (FAILED(result))
        std::fprintf(stderr, "%s: 0x%08X\n", std::string(program).c_str(), static_cast<std::uint32_t>(result));
    return exitStatusFor(result);
}

} // namespace quillbrook
