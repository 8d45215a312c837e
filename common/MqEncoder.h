#pragma once

#include <QByteArray>

#include <array>
#include <cstdint>
#include <vector>

// The MQ arithmetic encoder of JBIG2 (ITU-T T.88 Annex E.2), the adaptive binary coder that
// JBIG2's generic regions, symbols and integers are coded with.
//
// A context is one byte the caller keeps (usually in an array indexed by the neighbourhood of
// the pixel): the probability state index of Table E.1 times two, plus the more probable
// symbol. Contexts start at 0, as the decoder's do.
class MqEncoder
{
public:
    using Context = std::uint8_t;

    // INITENC; sizeHint reserves room for the code.
    explicit MqEncoder(qsizetype sizeHint = 0);

    // ENCODE: codes bit (0 or 1) in context cx and lets cx learn from it. Inline, as it runs
    // once for every pixel of a page.
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

    // FLUSH, then the code ends with the 0xFF 0xAC marker as T.88 E.2.9 has it. The encoder is
    // spent afterwards.
    QByteArray finish();

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
    void byteOut();

    std::uint32_t m_a = 0x8000;
    std::uint32_t m_c = 0;
    int m_ct = 12;
    // The code; its first byte is the one before the start (BPST - 1) that BYTEOUT looks at
    // and carries into, never part of the code.
    std::vector<std::uint8_t> m_out;
};
