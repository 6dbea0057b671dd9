// Placement of a tip on the screen and its balloon outline.
#include "tooltip/TipPlacement.h"

namespace {

bool Below(int d) {
    return d >= 0 && d <= 2;
}
bool Above(int d) {
    return d >= 16 && d <= 18;
}
bool RightOf(int d) {
    return d >= 32 && d <= 34;
}
bool LeftOf(int d) {
    return d >= 48 && d <= 50;
}
bool Known(int d) {
    return Below(d) || Above(d) || RightOf(d) || LeftOf(d);
}

} // namespace

TipSizes TipSizes::Defaults(bool balloon) {
    TipSizes s;
    if (!balloon)
        s.v = {0, 0, 3, 1, 0, 0, 0, 0, 0};
    return s;
}

TipPlacement PlaceTip(int dir, TipPoint pt, const TipRect& body, const TipRect& text, const TipRect& S,
                      const TipSizes& sizes) {
    const int ah = sizes.v[5];
    const int m = sizes.v[6];
    TipPlacement out;
    out.body = body;
    out.text = text;
    out.window = body;
    if (Below(dir) || Above(dir))
        out.window.bottom += ah;
    else if (RightOf(dir) || LeftOf(dir))
        out.window.right += ah;
    const int W = out.window.Width();
    const int H = out.window.Height();
    if (!Known(dir)) {
        out.direction = dir;
        return out;
    }
    // Horizontal fit.
    if (RightOf(dir)) {
        if (pt.x + W > S.right)
            dir ^= 16;
    } else if (LeftOf(dir)) {
        if (pt.x - W < S.left)
            dir ^= 16;
    } else if (dir == 0 || dir == 16) {
        if (pt.x + W - m > S.right)
            dir = pt.x - W + m >= S.left ? dir ^ 1 : dir | 2;
    } else if (dir == 1 || dir == 17) {
        if (pt.x + m - W < S.left)
            dir = pt.x - m + W > S.right ? dir ^ 3 : dir ^ 1;
    } else if (dir == 2 || dir == 18) {
        if (pt.x - S.left <= m)
            dir ^= 2;
        else if (S.right - pt.x <= m)
            dir ^= 3;
    }
    // Vertical fit.
    if (Below(dir)) {
        if (pt.y + H > S.bottom)
            dir ^= 16;
    } else if (Above(dir)) {
        if (pt.y - H < S.top)
            dir ^= 16;
    } else if (dir == 32 || dir == 48) {
        if (pt.y + H - m > S.bottom)
            dir = pt.y - H + m >= S.top ? dir ^ 1 : dir | 2;
    } else if (dir == 33 || dir == 49) {
        if (pt.y + m - H < S.top)
            dir = pt.y - m + H > S.bottom ? dir ^ 3 : dir ^ 1;
    } else if (dir == 34 || dir == 50) {
        if (pt.y - S.top <= m)
            dir ^= 2;
        else if (S.bottom - pt.y <= m)
            dir ^= 3;
    }
    // The anchor inside the window.
    TipPoint a;
    const TipRect& w = out.window;
    auto centred = [](int p, int size, int lo, int hi) {
        int c = size / 2;
        if (p + size / 2 > hi) {
            if (!(p - size / 2 < lo))
                c += p + size / 2 - hi;
        } else if (p - size / 2 < lo) {
            c = p - lo;
        }
        return c;
    };
    if (Below(dir) || Above(dir)) {
        a.y = Below(dir) ? w.top : w.bottom;
        const int along = dir & 3;
        a.x = along == 0 ? w.left + m : along == 1 ? w.right - m : centred(pt.x, W, S.left, S.right);
    } else {
        a.x = RightOf(dir) ? w.left : w.right;
        const int along = dir & 3;
        a.y = along == 0 ? w.top + m : along == 1 ? w.bottom - m : centred(pt.y, H, S.top, S.bottom);
    }
    // Keep the window on the screen on one side.
    if (dir == 0 || dir == 2 || dir == 16 || dir == 18) {
        if (pt.x - a.x < S.left)
            a.x = pt.x - S.left;
    } else if (dir == 1 || dir == 17) {
        if (pt.x - a.x + W > S.right)
            a.x = pt.x - S.right + W;
    } else if (dir == 32 || dir == 34 || dir == 48 || dir == 50) {
        if (pt.y - a.y < S.top)
            a.y = pt.y - S.top;
    } else if (dir == 33 || dir == 49) {
        if (pt.y - a.y + H > S.bottom)
            a.y = pt.y - S.bottom + H;
    }
    auto shift = [](TipRect& r, int dx, int dy) {
        r.left += dx;
        r.right += dx;
        r.top += dy;
        r.bottom += dy;
    };
    if (Below(dir)) {
        shift(out.text, 0, ah);
        shift(out.body, 0, ah);
    } else if (RightOf(dir)) {
        shift(out.text, ah, 0);
        shift(out.body, ah, 0);
    }
    out.direction = dir;
    out.anchor = a;
    return out;
}

TipOutline BuildTipOutline(int dir, TipPoint anchor, int W, int H, const TipSizes& sizes) {
    const int aw = sizes.v[4];
    const int ah = sizes.v[5];
    const int m = sizes.v[6];
    TipOutline o;
    o.body = {0, 0, W, H};
    if (Below(dir))
        o.body.top = ah;
    else if (Above(dir))
        o.body.bottom = H - ah;
    else if (RightOf(dir))
        o.body.left = ah;
    else if (LeftOf(dir))
        o.body.right = W - ah;
    if (aw == 0 || ah == 0 || !Known(dir))
        return o;
    TipPoint p1;
    TipPoint p2;
    const int along = dir & 3;
    if (Below(dir) || Above(dir)) {
        p1.y = p2.y = Below(dir) ? o.body.top : o.body.bottom;
        p1.x = along == 0 ? o.body.left + m : along == 1 ? o.body.right - m : anchor.x - aw / 2;
        p2.x = along == 1 ? p1.x - aw : p1.x + aw;
    } else {
        p1.x = p2.x = RightOf(dir) ? o.body.left : o.body.right;
        p1.y = along == 0 ? o.body.top + m : along == 1 ? o.body.bottom - m : anchor.y - aw / 2;
        p2.y = along == 1 ? p1.y - aw : p1.y + aw;
    }
    o.triangle = {anchor, p1, p2};
    o.hasAnchor = true;
    return o;
}
