// Text-frame datagrams through CUdpSock's receive handling, in search and save mode.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "wifi/net/text_frame.h"
#include "wifi/net/udp_text_sock.h"

using namespace setrion::net;

namespace {

class OneDatagram final : public DatagramSocket {
public:
    std::vector<uint8_t> bytes;
    bool given = false;
    int sendTo(std::span<const uint8_t> b, const SocketAddress&) override { return static_cast<int>(b.size()); }
    int receiveFrom(std::span<uint8_t> buffer, SocketAddress& from) override {
        if (given) return -11;
        given = true;
        size_t n = std::min(bytes.size(), buffer.size());
        std::copy_n(bytes.begin(), n, buffer.begin());
        from = {0x7F000001, 61001};
        return static_cast<int>(n);
    }
    int waitReadable(uint32_t) override { return given ? 0 : 1; }
};

struct Owner final : CUdpSockOwner {
    void addTextPrinter(std::span<const uint8_t> frame) override {
        if (auto r = answerRecord(frame)) count += r->text(setrion::wifi::field::kSsid).size();
    }
    size_t count = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (auto mode : {CUdpSock::Mode::Search, CUdpSock::Mode::Save}) {
        Owner owner;
        auto sock = std::make_unique<OneDatagram>();
        sock->bytes.assign(data, data + size);
        CUdpSock udp(owner, std::move(sock), {0x7FFFFFFF, 61001});
        udp.setMode(mode);
        udp.setExpectedMac("0200000000A1");
        udp.onReadable();
    }
    return 0;
}
