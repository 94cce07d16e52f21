// One call as the call-recording device logged it: the object, the method, the arguments in
// order and the result, comparable in tests and printable for their messages.
#include "device/recording/RecordedCall.h"

#include <sstream>

namespace {

// Everything is written to a stream: building strings from literals with operator+ trips a
// false -Wrestrict warning of g++ 12 at -O3.
void Hex(std::ostream& out, std::uint64_t v) {
    out << "0x" << std::uppercase << std::hex << v << std::dec << std::nouppercase;
}

void Color(std::ostream& out, const D3DCOLORVALUE& c) {
    out << '(' << c.r << ' ' << c.g << ' ' << c.b << ' ' << c.a << ')';
}

void Vector(std::ostream& out, const D3DVECTOR& v) {
    out << '(' << v.x << ' ' << v.y << ' ' << v.z << ')';
}

void Rect(std::ostream& out, LONG a, LONG b, LONG c, LONG d) {
    out << '{' << a << ',' << b << ',' << c << ',' << d << '}';
}

template <typename T, typename F>
void List(std::ostream& out, const std::vector<T>& items, F&& write) {
    out << '[';
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i != 0) {
            out << ' ';
        }
        write(items[i]);
    }
    out << ']';
}

struct Printer {
    std::ostream& out;

    void operator()(std::uint64_t v) const { out << v; }
    void operator()(float v) const { out << v << 'f'; }
    void operator()(const void* p) const {
        if (p == nullptr) {
            out << "null";
        } else {
            Hex(out, reinterpret_cast<std::uintptr_t>(p));
        }
    }
    void operator()(const Matrix& m) const {
        out << '[';
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 4; ++c) {
                if (r != 0 || c != 0) {
                    out << ' ';
                }
                out << m.m[r][c];
            }
        }
        out << ']';
    }
    void operator()(const D3DVIEWPORT8& v) const {
        out << "viewport{" << v.X << ',' << v.Y << ',' << v.Width << ',' << v.Height << ','
            << v.MinZ << ',' << v.MaxZ << '}';
    }
    void operator()(const D3DMATERIAL8& m) const {
        out << "material{";
        Color(out, m.Diffuse);
        Color(out, m.Ambient);
        Color(out, m.Specular);
        Color(out, m.Emissive);
        out << ' ' << m.Power << '}';
    }
    void operator()(const D3DLIGHT8& l) const {
        out << "light{" << l.Type << ' ';
        Color(out, l.Diffuse);
        Color(out, l.Specular);
        Color(out, l.Ambient);
        out << ' ';
        Vector(out, l.Position);
        Vector(out, l.Direction);
        out << ' ' << l.Range << ' ' << l.Attenuation0 << ' ' << l.Attenuation1 << ' '
            << l.Attenuation2 << '}';
    }
    void operator()(const D3DSURFACE_DESC& d) const {
        out << "surface{" << d.Format << ' ' << d.Width << 'x' << d.Height << " pool " << d.Pool
            << '}';
    }
    void operator()(const D3DVERTEXBUFFER_DESC& d) const {
        out << "vertexbuffer{" << d.Size << " fvf ";
        Hex(out, d.FVF);
        out << '}';
    }
    void operator()(const D3DINDEXBUFFER_DESC& d) const {
        out << "indexbuffer{" << d.Size << " format " << d.Format << '}';
    }
    void operator()(const RECT& r) const { Rect(out, r.left, r.top, r.right, r.bottom); }
    void operator()(const std::vector<DWORD>& v) const {
        List(out, v, [this](DWORD d) { Hex(out, d); });
    }
    void operator()(const std::vector<BYTE>& v) const { out << v.size() << " bytes"; }
    void operator()(const std::vector<D3DRECT>& v) const {
        List(out, v, [this](const D3DRECT& r) { Rect(out, r.x1, r.y1, r.x2, r.y2); });
    }
    void operator()(const std::vector<RECT>& v) const {
        List(out, v, [this](const RECT& r) { Rect(out, r.left, r.top, r.right, r.bottom); });
    }
    void operator()(const std::vector<POINT>& v) const {
        List(out, v, [this](const POINT& p) { out << '(' << p.x << ',' << p.y << ')'; });
    }
};

} // namespace

std::string RecordedArg::ToString() const {
    std::ostringstream out;
    std::visit(Printer{out}, value_);
    return out.str();
}

std::string RecordedCall::ToString() const {
    std::ostringstream out;
    out << method << '(';
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i != 0) {
            out << ", ";
        }
        std::visit(Printer{out}, args[i].Get());
    }
    // Results are 32-bit: an HRESULT, a BOOL or a count.
    out << ") -> ";
    Hex(out, static_cast<std::uint32_t>(result));
    return out.str();
}
