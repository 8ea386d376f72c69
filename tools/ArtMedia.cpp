#include "ArtMedia.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace art {

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr int Rate = 22050;

void Put16(QByteArray &b, uint16_t v) {
    b.append(char(v & 0xff));
    b.append(char(v >> 8));
}

void Put32(QByteArray &b, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xff));
}

void PutBe32(QByteArray &b, uint32_t v) {
    for (int i = 3; i >= 0; --i)
        b.append(char((v >> (8 * i)) & 0xff));
}

// Samples in -1..1, normalised to a peak of Peak, as a 16-bit mono RIFF WAVE file.
QByteArray Wav(std::vector<double> s, double peak) {
    double max = 1e-9;
    for (double v : s)
        max = std::max(max, std::abs(v));
    QByteArray b;
    const uint32_t data = uint32_t(s.size() * 2);
    b.append("RIFF");
    Put32(b, 36 + data);
    b.append("WAVEfmt ");
    Put32(b, 16);
    Put16(b, 1);
    Put16(b, 1);
    Put32(b, Rate);
    Put32(b, Rate * 2);
    Put16(b, 2);
    Put16(b, 16);
    b.append("data");
    Put32(b, data);
    for (double v : s)
        Put16(b, uint16_t(int16_t(std::lround(std::clamp(v / max * peak, -1.0, 1.0) * 32767))));
    return b;
}

// A tiny deterministic generator for noise (the same sequence on every machine).
struct TRandom {
    uint32_t State;
    double Next() {
        State = State * 1664525u + 1013904223u;
        return double(State >> 8) / double(1u << 24) * 2 - 1;
    }
};

double NoteFreq(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

void AddBell(std::vector<double> &s, double start, int note, double gain, double decay) {
    const double f = NoteFreq(note);
    const size_t from = size_t(start * Rate);
    const size_t len = size_t(decay * 6 * Rate);
    for (size_t i = 0; i < len && from + i < s.size(); ++i) {
        const double t = double(i) / Rate;
        const double env = std::exp(-t / decay) * (1 - std::exp(-t / 0.004));
        const double v = std::sin(2 * Pi * f * t) + 0.35 * std::sin(2 * Pi * 2 * f * t) * std::exp(-t / (decay * 0.4)) +
                         0.12 * std::sin(2 * Pi * 3.01 * f * t) * std::exp(-t / (decay * 0.25));
        s[from + i] += gain * env * v;
    }
}

void FadeEdges(std::vector<double> &s, double in, double out) {
    const size_t ni = size_t(in * Rate), no = size_t(out * Rate);
    for (size_t i = 0; i < ni && i < s.size(); ++i)
        s[i] *= double(i) / double(ni);
    for (size_t i = 0; i < no && i < s.size(); ++i)
        s[s.size() - 1 - i] *= double(i) / double(no);
}

// The four chords of the pieces: C, A minor, F, G (MIDI notes of their triads).
const int Chords[4][3] = {{60, 64, 67}, {57, 60, 64}, {53, 57, 60}, {55, 59, 62}};

QByteArray Ascii(const char *s) { return QByteArray(s); }

QByteArray Bytes(std::initializer_list<int> v) {
    QByteArray b;
    for (int x : v)
        b.append(char(x));
    return b;
}

// Text for a PDF string in WinAnsiEncoding: the accented letters used here are the same bytes
// in Latin-1 and Windows-1252.
QByteArray PdfText(const QString &s) {
    QByteArray out;
    for (QChar c : s) {
        const ushort u = c.unicode();
        const char b = u == 0x2022 ? char(0x95) : u < 256 ? char(u) : '?'; // 0x95: the bullet
        if (b == '(' || b == ')' || b == '\\')
            out.append('\\');
        out.append(b);
    }
    return out;
}

} // namespace

QByteArray ClickWav() {
    std::vector<double> s(size_t(0.075 * Rate), 0.0);
    TRandom rnd{20261208u};
    double phase = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / Rate;
        const double f = 900 + 700 * std::exp(-t / 0.006); // a quick downward glide: wood, not a beep
        phase += 2 * Pi * f / Rate;
        const double body = std::exp(-t / 0.011) * std::sin(phase);
        const double tick = std::exp(-t / 0.0012) * (0.6 * std::sin(2 * Pi * 3900 * t) + 0.4 * rnd.Next());
        const double attack = std::min(1.0, t / 0.0006);
        s[i] = attack * (0.8 * body + 0.35 * tick);
    }
    FadeEdges(s, 0, 0.01);
    return Wav(std::move(s), 0.7);
}

QByteArray TuneWav(double seconds) {
    std::vector<double> s(size_t(seconds * Rate), 0.0);
    const double step = 0.25; // eighth notes at 120 beats a minute
    const int pattern[8] = {0, 1, 2, 1, 0, 2, 1, 2};
    for (int n = 0; n * step < seconds - 1.5; ++n) {
        const int bar = (n / 8) % 4;
        const int *chord = Chords[bar];
        const int octave = (n % 16) < 8 ? 12 : 24;
        AddBell(s, n * step, chord[pattern[n % 8]] + octave, n % 4 == 0 ? 0.5 : 0.36, 0.45);
        if (n % 8 == 0)
            AddBell(s, n * step, chord[0] - 12, 0.55, 0.9);
    }
    FadeEdges(s, 0.01, 1.0);
    return Wav(std::move(s), 0.6);
}

QByteArray PadWav(double seconds) {
    std::vector<double> s(size_t(seconds * Rate), 0.0);
    const double chordLen = 3.0;
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = double(i) / Rate;
        const int c = int(t / chordLen) % 4;
        const double local = std::fmod(t, chordLen);
        // Each chord swells in and out, overlapping the next a little.
        const double env = std::sin(Pi * std::min(1.0, local / chordLen));
        double v = 0;
        for (int k = 0; k < 3; ++k) {
            const double f = NoteFreq(Chords[c][k]);
            v += std::sin(2 * Pi * f * t) + 0.5 * std::sin(2 * Pi * f * 1.003 * t) + 0.2 * std::sin(2 * Pi * 2 * f * t);
        }
        v += 0.8 * std::sin(2 * Pi * NoteFreq(Chords[c][0] - 12) * t);
        s[i] = (0.25 + 0.75 * env) * v;
    }
    FadeEdges(s, 0.8, 1.5);
    return Wav(std::move(s), 0.5);
}

QByteArray WaltzMidi() {
    constexpr int Ppq = 480;
    struct TEvent {
        uint32_t Tick;
        int Order; // note-offs before note-ons at the same tick
        QByteArray Bytes;
    };
    std::vector<TEvent> ev;
    auto note = [&](int channel, int key, int velocity, uint32_t start, uint32_t len) {
        ev.push_back({start, 1, Bytes({0x90 | channel, key, velocity})});
        ev.push_back({start + len, 0, Bytes({0x80 | channel, key, 0})});
    };
    ev.push_back({0, -1, QByteArray("\xff\x51\x03\x06\x1a\x80", 6)}); // 400000 us a beat: 150 beats a minute
    ev.push_back({0, -1, QByteArray("\xff\x58\x04\x03\x02\x18\x08", 7)}); // 3/4
    ev.push_back({0, -1, Bytes({0xc0, 10})}); // music box
    ev.push_back({0, -1, Bytes({0xc1, 0})});  // piano
    // Melody: (MIDI note, beats); 0 is a rest.
    const std::pair<int, int> melody[] = {
        {76, 2}, {79, 1}, {84, 3}, {83, 2}, {79, 1}, {76, 3}, {77, 2}, {81, 1}, {84, 2}, {81, 1}, {79, 3}, {0, 3},
        {76, 2}, {79, 1}, {84, 3}, {86, 2}, {84, 1}, {83, 3}, {81, 2}, {79, 1}, {77, 2}, {74, 1}, {72, 3}, {0, 3}};
    uint32_t t = 0;
    for (const auto &[key, beats] : melody) {
        if (key)
            note(0, key, 92, t, uint32_t(beats * Ppq - Ppq / 8));
        t += uint32_t(beats * Ppq);
    }
    const int bars = int(t / (3 * Ppq));
    const int harmony[8] = {0, 0, 2, 0, 0, 3, 2, 0};
    for (int b = 0; b < bars; ++b) {
        const int *chord = Chords[harmony[b % 8]];
        const uint32_t bt = uint32_t(b * 3 * Ppq);
        note(1, chord[0] - 12, 70, bt, Ppq - 40);
        for (int beat = 1; beat < 3; ++beat)
            for (int k = 0; k < 3; ++k)
                note(1, chord[k], 50, bt + uint32_t(beat * Ppq), Ppq / 2);
    }
    std::stable_sort(ev.begin(), ev.end(), [](const TEvent &a, const TEvent &b) {
        return a.Tick < b.Tick || (a.Tick == b.Tick && a.Order < b.Order);
    });
    QByteArray track;
    uint32_t last = 0;
    auto vlq = [&](uint32_t v) {
        char buf[5];
        int n = 0;
        buf[n++] = char(v & 0x7f);
        while (v >>= 7)
            buf[n++] = char(0x80 | (v & 0x7f));
        while (n)
            track.append(buf[--n]);
    };
    for (const TEvent &e : ev) {
        vlq(e.Tick - last);
        last = e.Tick;
        track.append(e.Bytes);
    }
    vlq(Ppq);
    track.append("\xff\x2f\x00", 3);

    QByteArray b("MThd");
    PutBe32(b, 6);
    b.append(QByteArray("\x00\x00\x00\x01", 4)); // format 0, one track
    b.append(char(Ppq >> 8));
    b.append(char(Ppq & 0xff));
    b.append("MTrk");
    PutBe32(b, uint32_t(track.size()));
    b.append(track);
    return b;
}

QByteArray ManualPdf() {
    // A5 portrait, in points.
    const double w = 420, h = 595;
    QByteArray c;
    auto line = [&](const QByteArray &s) { c.append(s).append('\n'); };
    auto num = [](double v) { return QByteArray::number(v, 'f', 2); };
    auto text = [&](const char *font, double size, double x, double y, const QString &s) {
        line("BT /" + QByteArray(font) + " " + num(size) + " Tf " + num(x) + " " + num(y) + " Td (" + PdfText(s) + ") Tj ET");
    };
    auto circle = [&](double cx, double cy, double r) {
        const double k = 0.5523 * r;
        line(num(cx + r) + " " + num(cy) + " m");
        line(num(cx + r) + " " + num(cy + k) + " " + num(cx + k) + " " + num(cy + r) + " " + num(cx) + " " + num(cy + r) + " c");
        line(num(cx - k) + " " + num(cy + r) + " " + num(cx - r) + " " + num(cy + k) + " " + num(cx - r) + " " + num(cy) + " c");
        line(num(cx - r) + " " + num(cy - k) + " " + num(cx - k) + " " + num(cy - r) + " " + num(cx) + " " + num(cy - r) + " c");
        line(num(cx + k) + " " + num(cy - r) + " " + num(cx + r) + " " + num(cy - k) + " " + num(cx + r) + " " + num(cy) + " c");
    };
    // Header band and the disc emblem.
    line("0.16 0.19 0.42 rg 0 " + num(h - 110) + " " + num(w) + " 110 re f");
    line("0.36 0.42 0.78 rg 0 " + num(h - 114) + " " + num(w) + " 4 re f");
    line("0.86 0.88 0.95 rg");
    circle(360, h - 55, 34);
    line("f 0.60 0.66 0.90 rg");
    circle(360, h - 55, 12);
    line("f 0.16 0.19 0.42 rg");
    circle(360, h - 55, 5);
    line("f 1 1 1 rg");
    text("F1", 26, 36, h - 62, QStringLiteral("Telvaro"));
    line("0.80 0.84 1 rg");
    text("F2", 12, 36, h - 84, QStringLiteral("Disco de muestra \u2014 manual breve").replace(QChar(0x2014), u'-'));
    line("0.10 0.11 0.20 rg");
    double y = h - 150;
    const struct {
        const char *Font;
        double Size;
        const char *Text;
    } body[] = {
        {"F1", 14, "Bienvenida"},
        {"F2", 10.5, "Este disco muestra lo que el men\u00fa de inicio puede ofrecer: v\u00eddeo, m\u00fasica,"},
        {"F2", 10.5, "im\u00e1genes y programas, ordenados en cuatro temas."},
        {"F1", 14, "C\u00f3mo se usa"},
        {"F2", 10.5, "\u2022 Elija un tema con los botones de la derecha: Video, M\u00fasica, Imagen o Varios."},
        {"F2", 10.5, "\u2022 Recorra el \u00e1rbol con las flechas, la rueda del rat\u00f3n o el teclado."},
        {"F2", 10.5, "\u2022 Pulse el bot\u00f3n verde, Intro o un doble clic para abrir el elemento."},
        {"F2", 10.5, "\u2022 Arrastre la ventana por el disco de la parte inferior."},
        {"F1", 14, "El visor de im\u00e1genes"},
        {"F2", 10.5, "Las fotos se abren en el visor propio del men\u00fa. Con el bot\u00f3n derecho del rat\u00f3n"},
        {"F2", 10.5, "aparece el men\u00fa de opciones: pase autom\u00e1tico, m\u00fasica de fondo y guardar."},
        {"F1", 14, "Requisitos"},
        {"F2", 10.5, "Un escritorio con lector de PDF, navegador y reproductor multimedia."},
    };
    for (const auto &b : body) {
        if (b.Size > 12)
            y -= 12;
        QString t = QString::fromUtf8(b.Text);
        text(b.Font, b.Size, 36, y, t);
        y -= b.Size > 12 ? 20 : 15;
    }
    line("0.36 0.42 0.78 rg 36 40 " + num(w - 72) + " 0.8 re f");
    line("0.40 0.42 0.55 rg");
    text("F2", 8.5, 36, 26, QStringLiteral("Estudio Telvaro \u00b7 disco de muestra \u00b7 versi\u00f3n 1.62"));

    std::vector<QByteArray> objs;
    objs.push_back(Ascii("<< /Type /Catalog /Pages 2 0 R >>"));
    objs.push_back(Ascii("<< /Type /Pages /Kids [3 0 R] /Count 1 >>"));
    objs.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + num(w) + " " + num(h) +
                   "] /Resources << /Font << /F1 5 0 R /F2 6 0 R >> >> /Contents 4 0 R >>");
    objs.push_back("<< /Length " + QByteArray::number(c.size()) + " >>\nstream\n" + c + "endstream");
    objs.push_back(Ascii("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>"));
    objs.push_back(Ascii("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
    objs.push_back(Ascii("<< /Title (Telvaro - manual del disco de muestra) /Producer (telvaro-artwork) >>"));

    QByteArray pdf("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    std::vector<qsizetype> offsets;
    for (size_t i = 0; i < objs.size(); ++i) {
        offsets.push_back(pdf.size());
        pdf.append(QByteArray::number(qulonglong(i + 1)) + " 0 obj\n" + objs[i] + "\nendobj\n");
    }
    const qsizetype xref = pdf.size();
    pdf.append("xref\n0 " + QByteArray::number(qulonglong(objs.size() + 1)) + "\n0000000000 65535 f \n");
    for (qsizetype off : offsets)
        pdf.append(QByteArray::number(qlonglong(off)).rightJustified(10, '0') + " 00000 n \n");
    pdf.append("trailer\n<< /Size " + QByteArray::number(qulonglong(objs.size() + 1)) +
               " /Root 1 0 R /Info 7 0 R >>\nstartxref\n" + QByteArray::number(qlonglong(xref)) + "\n%%EOF\n");
    return pdf;
}

bool WriteFile(const QString &path, const QByteArray &bytes, QString &error) {
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        error = QStringLiteral("cannot write %1").arg(path);
        return false;
    }
    return true;
}

} // namespace art
