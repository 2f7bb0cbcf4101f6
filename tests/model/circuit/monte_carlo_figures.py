#!/usr/bin/env python3
# Works out the first Monte Carlo run of a design from the documented rules
# alone (plain Python complex arithmetic, single precision by packing), so
# that tests/model/circuit/monte_carlo_figures_test.cpp can hold the program to
# figures it did not compute itself. Not run by the tests; run it by hand
# when a rule changes:  python3 tests/model/circuit/monte_carlo_figures.py 20|40
# Prints the worst passband gain, the worst 2nd and 3rd harmonic
# attenuations and the first trial colour indices, and the nominal design's
# losses at its two band edges (the report's figures).
import math, struct, sys
def f32(x): return struct.unpack('f', struct.pack('f', x))[0]
M64 = (1 << 64) - 1
class Rng:
    def __init__(s): s.state = 0x853c49e6748fea9b
    def next(s):
        s.state = (s.state + 0x9E3779B97F4A7C15) & M64
        z = s.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & M64
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & M64
        z ^= z >> 31
        return (z >> 40) / 16777216.0
PI = f32(4 * math.atan(1.0))
TWO_PI = 2.0 * PI

def analyze(d, f):
    w = f * TWO_PI
    qi, qc, fref = d['QI'], d['QC'], d['LowerEdge']
    A, B, C, D = 1+0j, 0j, 0j, 1+0j
    els = [(4, d['C47'], 0.0), (1, 0.0, d['L2']), (4, d['C48'], 0.0), (7, d['C92'], d['L1']), (4, d['C49'], 0.0)]
    for t, c, l in els:
        ea, eb, ec, ed = 1+0j, 0j, 0j, 1+0j
        if t == 4:
            x = 1e11 if c == 0 else -1.0/(w*c)
            rp = abs(qc * x)
            ec = complex(1.0/rp, -1.0/x)
        elif t == 1:
            rsl = f32(abs(TWO_PI * fref * l / qi))
            eb = complex(rsl, w*l)
        elif t == 7:
            rsl = TWO_PI * fref * l / qi
            xl = w * l
            rpl = rsl * (1 + (xl/rsl)**2)
            xpl = rpl * rsl / xl
            if c == 0: rc, xc = 1e11, 1e11
            else: rc, xc = abs(qc/(w*c)), -1.0/(w*c)
            rx = 1e11
            if xc + xpl == 0: xpl *= 1.00001
            R = 1.0/(1.0/rpl + 1.0/rc + 1.0/rx)
            X = 1.0/(1.0/xpl + 1.0/xc)
            rser = abs(R/(1 + (R/X)**2))
            xser = R * rser / X
            eb = complex(rser, xser)
        A, B, C, D = A*ea + B*ec, A*eb + B*ed, C*ea + D*ec, C*eb + D*ed
    rs = d['Rin']; rl = rs; r0 = rs
    T = (A*rl + B + C*rs*rl + D*rs) / rl
    if T.real == 0: T = complex(1e-10, T.imag)
    if T.imag == 0: T = complex(T.real, 1e-10)
    gain = -10*math.log10(abs(T)**2 * rl / (4*rs))
    zin = (A*rl + B)/(C*rl + D)
    rho = abs(zin - r0)/abs(zin + r0)
    rho = min(max(rho, 1e-7), 0.9999999)
    return gain, 20*math.log10(rho)

def update_l(d):
    al = d['AL'] * 1e-9
    d['L1'] = f32(al * d['N1'] * d['N1']); d['L2'] = f32(al * d['N2'] * d['N2'])

def sweep(d):
    ls, le = math.log(d['Start']), math.log(d['Stop'])
    fs = [f32(math.exp(ls + (le - ls) * i / 2000)) for i in range(2001)]
    return fs, [f32(analyze(d, f)[0]) for f in fs]

def plot(d, st):
    fs, gs = sweep(d)
    lo2, hi2 = f32(2.0*d['LowerEdge']), f32(2.0*d['UpperEdge'])
    lo3, hi3 = f32(3.0*d['LowerEdge']), f32(3.0*d['UpperEdge'])
    for f, g in zip(fs, gs):
        a = abs(g)
        if lo2 < f < hi2 and a < st['w2']: st['w2'] = a
        if lo3 < f < hi3 and a < st['w3']: st['w3'] = a
    analyze(d, d['LowerEdge'])
    return analyze(d, d['UpperEdge'])[0]

def run(d, trials=201):
    rng = Rng(); st = {'w2': 100.0, 'w3': 100.0}; worst = 0.0
    update_l(d)
    plot(d, st)
    nominal = [d[k] for k in ('C47', 'C48', 'C92', 'C49', 'AL')]
    colours = []
    counter = 0
    for t in range(trials):
        for k, nom in zip(('C47', 'C48', 'C92', 'C49', 'AL'), nominal):
            d[k] = f32(nom * ((rng.next() - 0.5) * 0.05 + 1.0))
        update_l(d)
        counter = 1 if counter >= 9 else counter + 1
        colours.append(counter)
        g = f32(plot(d, st))
        if g < worst: worst = g
    return worst, st['w2'], st['w3'], colours[:12]

def design(c47, n2, c48, n1, c92, c49, lo, hi, start, stop):
    return dict(C47=f32(c47), N2=n2, C48=f32(c48), N1=n1, C92=f32(c92), C49=f32(c49),
                LowerEdge=f32(lo), UpperEdge=f32(hi), Start=f32(start), Stop=f32(stop),
                AL=3.0, Rin=50.0, QI=200.0, QC=2000.0)
which = sys.argv[1]
if which == '20':
    d = design(2e-10, 14, 3.6e-10, 12, 6.8e-11, 2e-10, 1.4e7, 1.435e7, 5e6, 5e7)
else:
    d = design(4.7e-10, 18, 9.1e-10, 16, 1.5e-10, 4.3e-10, 7e6, 7.3e6, 2.3e6, 2.55e7)
update_l(d)
print('edge losses', f32(-analyze(d, d['LowerEdge'])[0]), f32(-analyze(d, d['UpperEdge'])[0]))
print(which, run(d))
