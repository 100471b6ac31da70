// An in-memory datagram network for socket tests: ports post datagrams into one shared medium
// that can drop, duplicate and delay (reorder) them with a seeded generator; every datagram
// posted is also logged for inspection. Single-threaded: the test drives it. A manual clock
// stands in for the socket clock.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <memory>
#include <random>
#include <vector>

#include "engine/net/datagram_port.h"
#include "engine/net/net_config.h"
#include "platform/winsock/winsock.h"

namespace nettest {

using velm::net::SPeerAddress;

inline SPeerAddress Address(const char* ip, std::uint16_t port) {
    SPeerAddress address;
    address.family = AF_INET;
    address.port = htons(port);
    address.address = velm::net::AddressFromText(ip);
    return address;
}

struct SManualClock {
    double now = 100.0;
};

inline velm::net::SNetConfig TestConfig(SManualClock& clock) {
    velm::net::SNetConfig config;
    config.clock = [&clock] { return clock.now; };
    config.log = false;
    return config;
}

struct SDatagram {
    SPeerAddress from;
    SPeerAddress to;
    std::vector<unsigned char> bytes;
    int deliverAt = 0;
};

class CMemoryNetwork {
public:
    explicit CMemoryNetwork(unsigned seed = 1) : m_random(seed) {}

    double dropRate = 0.0;
    double duplicateRate = 0.0;
    int maxDelaySteps = 0;

    void Post(const SPeerAddress& from, const SPeerAddress& to, const unsigned char* data, int length) {
        SDatagram datagram{from, to, std::vector<unsigned char>(data, data + length), m_step};
        sent.push_back(datagram);
        if (Chance(dropRate)) {
            return;
        }
        const int copies = Chance(duplicateRate) ? 2 : 1;
        for (int i = 0; i < copies; ++i) {
            datagram.deliverAt = m_step + Delay();
            m_inFlight.push_back(datagram);
        }
    }

    // Puts a datagram straight into the medium, past loss and delay.
    void Inject(const SPeerAddress& from, const SPeerAddress& to, std::vector<unsigned char> bytes) {
        m_inFlight.push_back(SDatagram{from, to, std::move(bytes), m_step});
    }

    bool HasFor(const SPeerAddress& to) const {
        for (const SDatagram& d : m_inFlight) {
            if (d.to.SameHost(to) && d.deliverAt <= m_step) {
                return true;
            }
        }
        return false;
    }

    bool Take(const SPeerAddress& to, SDatagram& out) {
        for (auto it = m_inFlight.begin(); it != m_inFlight.end(); ++it) {
            if (it->to.SameHost(to) && it->deliverAt <= m_step) {
                out = *it;
                m_inFlight.erase(it);
                return true;
            }
        }
        return false;
    }

    void Step() { ++m_step; }
    void DropAllInFlight() { m_inFlight.clear(); }
    void ReverseInFlight() { std::reverse(m_inFlight.begin(), m_inFlight.end()); }
    void DropInFlightFrom(const SPeerAddress& from) {
        for (auto it = m_inFlight.begin(); it != m_inFlight.end();) {
            it = it->from.SameHost(from) ? m_inFlight.erase(it) : it + 1;
        }
    }
    std::size_t InFlight() const { return m_inFlight.size(); }

    std::vector<SDatagram> sent;

private:
    bool Chance(double rate) { return rate > 0.0 && std::uniform_real_distribution<double>(0.0, 1.0)(m_random) < rate; }
    int Delay() { return maxDelaySteps > 0 ? std::uniform_int_distribution<int>(0, maxDelaySteps)(m_random) : 0; }

    std::mt19937 m_random;
    std::deque<SDatagram> m_inFlight;
    int m_step = 0;
};

class CMemoryPort : public velm::net::IDatagramPort {
public:
    CMemoryPort(CMemoryNetwork& network, const SPeerAddress& self) : m_network(network), m_self(self) {}

    bool IsOpen() const override { return true; }
    int Send(const SPeerAddress& to, const unsigned char* data, int length) override {
        m_network.Post(m_self, to, data, length);
        return length;
    }
    int Receive(unsigned char* buffer, int capacity, SPeerAddress& from) override {
        SDatagram datagram;
        if (!m_network.Take(m_self, datagram)) {
            return -1;
        }
        from = datagram.from;
        if (static_cast<int>(datagram.bytes.size()) > capacity) {
            return -1;
        }
        std::copy(datagram.bytes.begin(), datagram.bytes.end(), buffer);
        return static_cast<int>(datagram.bytes.size());
    }
    bool WaitReadable(long) override { return m_network.HasFor(m_self); }
    bool SetBroadcast(bool) override { return true; }

private:
    CMemoryNetwork& m_network;
    SPeerAddress m_self;
};

inline std::unique_ptr<velm::net::IDatagramPort> MakePort(CMemoryNetwork& network, const SPeerAddress& self) {
    return std::make_unique<CMemoryPort>(network, self);
}

} // namespace nettest
