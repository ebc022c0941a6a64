// Any bytes as a vCard file: imported, appended to a store, exported in
// every format and imported again (see exchange_oracle.h).
#include <cstdint>
#include <string_view>

#include "exchange_oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    exchange_oracle::check_all({reinterpret_cast<const char*>(data), size}, lumo::ContactFormat::vcard);
    return 0;
}
