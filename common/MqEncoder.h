#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

// The MQ arithmetic encoder of JBIG2 (ITU-T T.88 Annex E.2), the adaptive binary coder that
// JBIG2's generic regions, symbols and integers are coded with.
//
// A context is one byte the caller keeps (usually in an array indexed by the neighbourhood of
// the pixel): the probability state index of Table E.1 times two, plus the more probable
// symbol. Contexts start at 0, as the decoder's do. An enum rather than a plain byte, which
// the compiler would have to assume aliases the coder's registers.
//
// Everything is inline and the code goes to a vector outside the coder: a coder whose address
// never leaves the function using it can keep its registers in the processor's.
class MqEncoder
{
public:
    enum Context : std::uint8_t
    {
    };

    // INITENC; the code is appended to code.
    explicit MqEncoder(std::vector<std::uint8_t> &code) : m_code(code), m_start(code.size())
    {
        // The byte before the start (BPST - 1) that BYTEOUT looks at and carries into; never
        // part of the code.
        m_code.push_back(0);
    }

    // ENCODE: codes bit (0 or 1) in context cx and lets cx learn from it.
    void encode(Context &cx, unsigned bit)
    {
        const State &state = States[cx];
        const std::uint32_t qe = state.qe;
        m_a -= qe;
        if (bit == (cx & 1u)) {
            if (m_a & 0x8000) { // CODEMPS without renormalisation: by far the most common path
                m_c += qe;
                return;
            }
            if (m_a < qe)
                m_a = qe;
            else
                m_c += qe;
            cx = state.nextMps;
        } else {
            if (m_a < qe)
                m_c += qe;
            else
                m_a = qe;
            cx = state.nextLps;
        }
        renormalise();
    }

    // encode() count times with the same bit in the same context. More probable symbols that
    // leave A at 0x8000 or above need no renormalisation: a run of them is one subtraction
    // and one addition. The white margins and gaps of a page are such runs.
    void encodeRun(Context &cx, unsigned bit, unsigned count)
    {
        while (count > 0 && bit == (cx & 1u)) {
            const std::uint32_t qe = States[cx].qe;
            const std::uint32_t fitting = std::min<std::uint32_t>(count, (m_a - 0x8000) / qe);
            m_a -= qe * fitting;
            m_c += qe * fitting;
            count -= fitting;
            if (count > 0) {
                encode(cx, bit); // renormalises
                --count;
            }
        }
        while (count-- > 0)
            encode(cx, bit);
    }

    // FLUSH, then the code ends with the 0xFF 0xAC marker as T.88 E.2.9 has it. The coder is
    // spent afterwards.
    void finish()
    {
        // SETBITS: as many trailing 1 bits as the interval allows, so that the decoder, which
        // reads 1 bits past the end, stays inside it.
        const std::uint32_t top = m_c + m_a;
        m_c |= 0xFFFF;
        if (m_c >= top)
            m_c -= 0x8000;
        m_c <<= m_ct;
        byteOut();
        m_c <<= m_ct;
        byteOut();
        if (m_code.back() != 0xFF)
            m_code.push_back(0xFF);
        m_code.push_back(0xAC);
        m_code.erase(m_code.begin() + std::ptrdiff_t(m_start));
    }

private:
    // Table E.1, per context byte (index * 2 + MPS): Qe and the context byte after each symbol.
    struct State
    {
        std::uint16_t qe;
        Context nextMps;
        Context nextLps;
    };
    static const std::array<State, 94> States;

    void renormalise()
    {
        do {
            m_a <<= 1;
            m_c <<= 1;
            if (--m_ct == 0)
                byteOut();
        } while ((m_a & 0x8000) == 0);
    }

    // BYTEOUT (T.88 Figure E.7): a byte after 0xFF holds 7 bits, so that a carry never
    // passes it.
    void byteOut()
    {
        std::uint8_t &last = m_code.back();
        if (last != 0xFF && m_c >= 0x8000000) {
            ++last; // the carry
            m_c &= 0x7FFFFFF;
        }
        if (last == 0xFF) {
            m_code.push_back(std::uint8_t(m_c >> 20));
            m_c &= 0xFFFFF;
            m_ct = 7;
        } else {
            m_code.push_back(std::uint8_t(m_c >> 19));
            m_c &= 0x7FFFF;
            m_ct = 8;
        }
    }

    std::vector<std::uint8_t> &m_code;
    const std::size_t m_start;
    std::uint32_t m_a = 0x8000;
    std::uint32_t m_c = 0;
    int m_ct = 12;
};
