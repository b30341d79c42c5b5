// Font download jobs as the simulated printer receives them: any text must be judged without
// a crash, and every job the program builds must read back to the same font.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "fonts/font_job.h"
#include "fonts/font_job_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace setrion::fonts;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string why;
    (void)readFontJob(text, &why);

    // The same bytes as a font: a name and an ID taken from the first bytes, the rest as data.
    if (size < 3) return 0;
    const int id = kFirstFontId + (data[0] | (data[1] << 8)) % (kLastFontId - kFirstFontId + 1);
    const TargetMemory memory = (data[2] & 1) ? TargetMemory::Flash : TargetMemory::Ram;
    const size_t nameLen = data[2] >> 3;
    const std::string fileName(text.substr(3, std::min(nameLen, size - 3)));
    const std::span<const uint8_t> font(data + 3, size - 3);
    const std::string job = buildFontJob(font, fileName, id, memory);
    if (job.size() != fontJobLength(font.size(), id)) __builtin_trap();
    auto back = readFontJob(job, &why);
    if (!back || back->fontId != id || back->memory != memory ||
        !std::equal(back->data.begin(), back->data.end(), font.begin(), font.end()))
        __builtin_trap();
    return 0;
}
