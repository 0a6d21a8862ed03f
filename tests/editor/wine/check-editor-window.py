#!/usr/bin/env python3
"""Checks one run of the Windows editor host: the knob rose with its automation inside one
edit gesture, Power toggled on each of a 10 ms tap, a press and a tap, Recovery reached Medium by
the wheel, the host heard of edits of parameters only, the preset typed into Save-As was written
and its long name is shown whole, and the window's picture equals the Linux rendering of the same
state outside the two text fields (preset name and read-out)."""
import sys


def read_ppm(path):
    with open(path, 'rb') as f:
        data = f.read()
    parts = data.split(b'\n', 3)
    width, height = map(int, parts[1].split())
    return width, height, parts[3]


def main(report_path, linux_path, windows_path):
    lines = [l.split() for l in open(report_path)]
    params = {int(l[1]): float(l[2]) for l in lines if l[0] == 'param'}
    failures = []
    if not params[2] > 0.6:
        failures.append('Input Thres did not rise: %g' % params[2])
    if params[1] != 1.0:
        failures.append('Power was not switched on: %g' % params[1])
    # One edit gesture on index 2 (the host keeps edits and automation in separate lists, so
    # their interleaving is checked by the native tests), with rising automation of 2 after
    # the five values of the construction.
    events = [l for l in lines if l[0] in ('begin', 'end', 'automate')]
    if [e for e in events if e[0] in ('begin', 'end') and e[1] == '2'] != [['begin', '2'], ['end', '2']]:
        failures.append('not exactly one edit gesture on Input Thres')
    # Power: a 10 ms tap, a press and another tap, each one gesture that toggles it.
    if [e for e in events if e[0] in ('begin', 'end') and e[1] == '1'] != [['begin', '1'], ['end', '1']] * 3:
        failures.append('not exactly three edit gestures on Power (a tap was lost?)')
    power = [float(e[2]) for e in events if e[0] == 'automate' and e[1] == '1'][1:]
    if power != [1.0, 0.0, 1.0]:
        failures.append('Power did not follow tap, press, tap: %s' % power)
    knob = [float(e[2]) for e in events[:] if e[0] == 'automate' and e[1] == '2'][1:]
    automated = len(knob)
    if knob != sorted(knob) or (knob and abs(knob[-1] - params[2]) > 1e-6):
        failures.append('automation of Input Thres does not rise to its final value: %s' % knob)
    if automated == 0:
        failures.append('no automation of Input Thres reported')
    if not any(e[0] == 'automate' and e[1] == '1' for e in events):
        failures.append('no automation of Power reported')

    # Two wheel notches up from Ultra-Fast (step 0): Medium, step 2 of 0..4.
    if not 0.5 <= params[4] < 0.75:
        failures.append('Recovery is not Medium after two wheel notches up: %g' % params[4])
    outside = [e for e in events if e[0] in ('begin', 'end') and not 0 <= int(e[1]) <= 4]
    if outside:
        failures.append('edits of things that are not parameters: %s' % outside)
    saved = [l for l in lines if l[0] == 'savedfile']
    if not saved or saved[0][1] != 'yes':
        failures.append('the preset typed into Save-As was not written')

    lw, lh, lpix = read_ppm(linux_path)
    ww, wh, wpix = read_ppm(windows_path)
    # The preset name's text (light on the dark box): wider than its first 23 characters.
    widths = [l for l in lines if l[0] == 'namewidth']
    if widths:
        full, cut = int(widths[0][1]), int(widths[0][2])
        columns = [x for x in range(377, 545)
                   if any(max(wpix[3 * (y * ww + x):3 * (y * ww + x) + 3]) > 60 for y in range(3, 17))]
        shown = columns[-1] - columns[0] + 1 if columns else 0
        if not cut + 2 < shown <= full + 2:
            failures.append('preset name shown %d pixels wide; whole it is %d, cut to 23 characters %d'
                            % (shown, full, cut))
    if (lw, lh) != (ww, wh):
        failures.append('picture sizes differ: %dx%d and %dx%d' % (lw, lh, ww, wh))
    else:
        text = [(376, 2, 546, 17), (622, 1, 869, 19)]
        differing = 0
        first = None
        for y in range(lh):
            for x in range(lw):
                if any(l <= x < r and t <= y < b for (l, t, r, b) in text):
                    continue
                i = 3 * (y * lw + x)
                if lpix[i:i + 3] != wpix[i:i + 3]:
                    differing += 1
                    if first is None:
                        first = (x, y, lpix[i:i + 3].hex(), wpix[i:i + 3].hex())
        if differing:
            failures.append('%d pixels differ outside text, first at %s' % (differing, first))
    for f in failures:
        print('FAIL:', f)
    print('editor window: %s' % ('ok' if not failures else 'failed'))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:4]))
