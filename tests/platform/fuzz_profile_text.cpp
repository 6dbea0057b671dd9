// Fuzz target: any bytes as the text of a settings file. The parse, every
// lookup and an edit must stay within the text, and a value written is the
// value read back after the document is turned into text and parsed again.
#include "platform/ProfileDocument.h"
#include "platform/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = platform::GbkToUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    platform::ProfileDocument document = platform::ProfileDocument::FromText(text);
    for (const std::string& section : document.SectionNames()) {
        for (const std::string& key : document.KeyNames(section))
            document.FindValue(section, key);
        document.SectionLines(section);
    }
    const std::string section = "FuzzSection";
    document.SetValue(section, "FuzzKey", "12abc");
    const platform::ProfileDocument again = platform::ProfileDocument::FromText(document.ToText());
    const std::string* value = again.FindValue(section, "FuzzKey");
    if (value == nullptr || *value != "12abc")
        std::abort();
    document.DeleteKey(section, "FuzzKey");
    document.DeleteSection(section);
    platform::Utf8ToGbk(document.ToText());
    return 0;
}
