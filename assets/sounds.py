"""Builds every sound clip with sox and espeak-ng.

Each clip ends up as 16-bit PCM WAV, mono, 22050 Hz, normalised to -1 dBFS,
under the exact name the client plays it by. Random parts use fixed seeds, and
sox runs in repeatable mode, so the clips come out the same every time.
"""

import math
import os
import random
import shutil
import subprocess
import sys
import tempfile

RATE = "22050"


class Studio:
    def __init__(self, work, out):
        self.work, self.out = work, out
        self.n = 0

    def tmp(self, stem="t"):
        self.n += 1
        return os.path.join(self.work, f"{stem}{self.n}.wav")

    @staticmethod
    def sox(*args):
        subprocess.run(["sox", "-R", "-V1", *map(str, args)], check=True)

    def synth(self, seconds, *params, effects=()):
        """sox synth into a fresh mono file; params is what follows 'synth <seconds>'."""
        f = self.tmp("s")
        self.sox("-n", "-r", RATE, "-c", "1", "-b", "16", f, "synth", seconds, *params, *effects)
        return f

    def fx(self, src, *effects):
        f = self.tmp("f")
        self.sox(src, "-r", RATE, "-c", "1", "-b", "16", f, *effects)
        return f

    def voice(self, text, voice="en+m3", pitch=50, speed=160, effects=()):
        raw = self.tmp("v")
        subprocess.run(["espeak-ng", "-v", voice, "-p", str(pitch), "-s", str(speed), "-w", raw, text], check=True)
        # drop espeak's leading and trailing silence
        return self.fx(raw, "silence", "1", "0.01", "0.5%", "reverse", "silence", "1", "0.01", "0.5%", "reverse",
                       *effects)

    def mix(self, parts):
        """parts: (file, start seconds, gain); the sum, placed in time."""
        placed = []
        for src, start, gain in parts:
            f = self.tmp("m")
            self.sox("-v", gain, src, "-r", RATE, "-c", "1", "-b", "16", f, "pad", f"{start:.4f}")
            placed.append(f)
        if len(placed) == 1:
            return placed[0]
        f = self.tmp("x")
        self.sox("-m", *placed, "-b", "16", f)
        return f

    def chain(self, parts):
        f = self.tmp("c")
        self.sox(*parts, f)
        return f

    def finish(self, src, name, *effects, longest=2.95):
        """Normalise and write the clip as 16-bit PCM WAV under its install name."""
        dest = os.path.join(self.out, name)
        self.sox(src, "-t", "wav", "-e", "signed-integer", "-b", "16", "-r", RATE, "-c", "1", dest,
                 *effects, "trim", "0", str(longest), "norm", "-1")
        return dest


def chime(st, freq, seconds):
    f = st.tmp("b")
    st.sox("-n", "-r", RATE, "-c", "4", "-b", "16", f, "synth", seconds,
           "sine", freq, "sine", freq * 2.0, "sine", freq * 3.0, "sine", freq * 4.2,
           "remix", "1v0.6,2v0.22,3v0.1,4v0.05", "fade", "l", "0.004", seconds, seconds * 0.95)
    return f


def lol(st):
    rng = random.Random(400)
    parts = []
    for who, (voice, base, start) in enumerate((("en+m3", 62, 0.0), ("en+f2", 78, 0.12))):
        t = start
        for k in range(7):
            syl = st.voice(rng.choice(["ha", "hah", "ha"]), voice=voice, pitch=max(20, base - k * 5 + rng.randint(-4, 4)),
                           speed=260, effects=("tremolo", "28", "35", "fade", "q", "0.01", "0.16", "0.05",
                                               "trim", "0", "0.16"))
            parts.append((syl, t, 0.9 if who == 0 else 0.6))
            t += 0.17 + rng.uniform(-0.02, 0.03)
    return st.finish(st.mix(parts), "lol.snd", "pad", "0", "0.2", "reverb", "20")


def applause(st):
    rng = random.Random(401)
    claps = [st.synth(0.06, "pinknoise", effects=("bandpass", str(c), "1.1q", "fade", "q", "0.001", "0.06", "0.055"))
             for c in (900, 1300, 1800, 2400)]
    parts = []
    for _ in range(70):
        t = rng.uniform(0.0, 2.1)
        ramp = min(1.0, t / 0.3) * (1.0 if t < 1.5 else max(0.2, 1 - (t - 1.5) / 0.7))
        parts.append((rng.choice(claps), t, round(0.25 + 0.75 * ramp * rng.uniform(0.6, 1.0), 3)))
    return st.finish(st.mix(parts), "applause.snd", "reverb", "35", "fade", "t", "0.05", "2.5", "0.4")


def yowl(st, lo, hi, seconds):
    rise = st.synth(seconds * 0.45, "sawtooth", f"{lo}:{hi}")
    fall = st.synth(seconds * 0.55, "sawtooth", f"{hi}:{lo * 0.8:.0f}")
    both = st.chain([rise, fall])
    return st.fx(both, "bend", "0.05,120,0.13", "0.2,-90,0.3", "tremolo", "9", "45", "bandpass", "1100", "0.7q",
                 "overdrive", "12", "fade", "h", "0.06", str(seconds), "0.15")


def catfight(st):
    hiss = st.synth(0.55, "whitenoise", effects=("highpass", "2500", "tremolo", "17", "40", "fade", "h", "0.05", "0.55", "0.2"))
    spit = st.synth(0.12, "whitenoise", effects=("highpass", "1500", "fade", "q", "0.002", "0.12", "0.1"))
    y1 = yowl(st, 420, 980, 0.9)
    y2 = yowl(st, 560, 1250, 0.8)
    y3 = yowl(st, 480, 1100, 0.6)
    parts = [(hiss, 0.0, 0.6), (y1, 0.35, 0.8), (spit, 0.9, 0.8), (y2, 1.0, 0.7), (hiss, 1.5, 0.5),
             (y3, 1.75, 0.7), (spit, 2.2, 0.9)]
    return st.finish(st.mix(parts), "catfight.snd", "reverb", "25")


def hurl(st):
    gag1 = st.voice("hurk", voice="en+m3", pitch=25, speed=140, effects=("overdrive", "15", "pitch", "-200"))
    gag2 = st.voice("hukk", voice="en+m3", pitch=30, speed=140, effects=("overdrive", "15", "pitch", "-150"))
    blargh = st.voice("bleaaaarrrgh", voice="en+m3", pitch=20, speed=90,
                      effects=("overdrive", "25", "pitch", "-300", "tremolo", "23", "60"))
    gurgle = st.synth(1.0, "brownnoise", effects=("lowpass", "700", "tremolo", "19", "85", "fade", "t", "0.1", "1.0", "0.5"))
    splash = st.synth(0.7, "pinknoise", effects=("bandpass", "900", "0.6q", "fade", "l", "0.01", "0.7", "0.65"))
    parts = [(gag1, 0.0, 0.8), (gag2, 0.45, 0.8), (blargh, 0.95, 1.0), (gurgle, 1.05, 0.6), (splash, 1.9, 0.7)]
    return st.finish(st.mix(parts), "hurl.snd")


def incoming(st):
    whistle = st.synth(1.35, "sine", "2300/650", effects=("tremolo", "6", "15", "fade", "h", "0.1", "1.35", "0.02"))
    rumble = st.synth(1.3, "brownnoise", effects=("lowpass", "260", "lowpass", "260", "fade", "l", "0.005", "1.3", "1.25"))
    thump = st.synth(0.9, "sine", "70/30", effects=("fade", "l", "0.002", "0.9", "0.85"))
    crack = st.synth(0.08, "whitenoise", effects=("lowpass", "2500", "fade", "q", "0.001", "0.08", "0.07"))
    parts = [(whistle, 0.0, 0.6), (crack, 1.35, 0.6), (rumble, 1.35, 1.0), (thump, 1.35, 0.9)]
    return st.finish(st.mix(parts), "incoming.snd", "overdrive", "6", "pad", "0", "0.3", "reverb", "40")


def smootch(st):
    hum = st.synth(0.28, "sine", "190", effects=("lowpass", "600", "fade", "h", "0.08", "0.28", "0.05"))
    smack = st.synth(0.03, "whitenoise", effects=("highpass", "1200", "fade", "q", "0.0005", "0.03", "0.027"))
    pop = st.synth(0.04, "sine", "1700/700", effects=("fade", "q", "0.001", "0.04", "0.035"))
    mwa = st.voice("mwah", voice="en+f3", pitch=80, speed=170, effects=("highpass", "200", "fade", "q", "0.01"))
    breath = st.synth(0.25, "pinknoise", effects=("bandpass", "1400", "1q", "fade", "q", "0.01", "0.25", "0.22"))
    parts = [(hum, 0.0, 0.35), (mwa, 0.08, 0.45), (smack, 0.26, 1.0), (pop, 0.26, 0.8), (breath, 0.28, 0.25)]
    return st.finish(st.mix(parts), "smootch.snd", "reverb", "15")


def whip(st):
    whoosh_lo = st.synth(0.4, "pinknoise", effects=("bandpass", "700", "1q", "fade", "p", "0.38", "0.4", "0.02"))
    whoosh_hi = st.synth(0.25, "pinknoise", effects=("bandpass", "2200", "1.2q", "fade", "p", "0.23", "0.25", "0.02"))
    snap = st.synth(0.006, "whitenoise")
    crack = st.synth(0.25, "whitenoise", effects=("highpass", "1800", "fade", "l", "0", "0.25", "0.24"))
    parts = [(whoosh_lo, 0.0, 0.6), (whoosh_hi, 0.15, 0.6), (snap, 0.4, 1.0), (crack, 0.4, 0.9)]
    return st.finish(st.mix(parts), "whip.snd", "pad", "0", "0.3", "reverb", "30", "trim", "0", "0.9")


def bark(st, pitch):
    tone = st.synth(0.17, "sawtooth", f"{pitch}:{pitch * 0.6:.0f}")
    rough = st.synth(0.17, "pinknoise")
    both = st.mix([(tone, 0, 0.8), (rough, 0, 0.35)])
    return st.fx(both, "bandpass", "750", "0.8q", "overdrive", "18", "fade", "q", "0.008", "0.17", "0.12")


def woof(st):
    v1 = st.voice("woof", voice="en+m3", pitch=30, speed=180, effects=("overdrive", "10", "pitch", "-250"))
    b1, b2 = bark(st, 520), bark(st, 470)
    parts = [(b1, 0.0, 0.8), (v1, 0.0, 0.7), (b2, 0.42, 0.8), (v1, 0.42, 0.7)]
    return st.finish(st.mix(parts), "woof.snd", "reverb", "15")


def glide(st, wave, curve, seconds, step=0.01):
    """A tone whose pitch follows curve(t), as short linear sweeps joined without phase jumps."""
    pieces, phase, t = [], 0.0, 0.0
    while t < seconds - 1e-9:
        f1, f2 = curve(t), curve(t + step)
        pieces.append(st.synth(step, wave, f"{f1:.2f}:{f2:.2f}", "0", f"{phase * 100:.3f}"))
        phase = (phase + (f1 + f2) / 2 * step) % 1.0
        t += step
    return st.chain(pieces)


def boing(st):
    # a quick rise, then a wobble that dies away, like a door stop spring
    spring = lambda t: 300 * 2 ** (750 * math.exp(-t / 0.3) * -math.cos(2 * math.pi * 11 * t) / 1200)
    tone = st.fx(glide(st, "sine", spring, 0.95), "fade", "q", "0.004", "0.95", "0.6")
    twang = st.fx(glide(st, "triangle", spring, 0.95), "lowpass", "2500", "fade", "l", "0.004", "0.95", "0.9")
    return st.finish(st.mix([(tone, 0, 0.8), (twang, 0, 0.35)]), "boing.snd", "lowpass", "3000")


def shoot(st):
    blast = st.synth(0.7, "whitenoise", effects=("lowpass", "3500", "fade", "l", "0", "0.7", "0.69"))
    thump = st.synth(0.25, "sine", "110/40", effects=("fade", "l", "0", "0.25", "0.24"))
    ricochet = st.synth(0.45, "sine", "3200/1400", effects=("fade", "h", "0.01", "0.45", "0.3"))
    parts = [(blast, 0, 1.0), (thump, 0, 1.0), (ricochet, 0.32, 0.35)]
    return st.finish(st.mix(parts), "shoot.snd", "overdrive", "8", "pad", "0", "0.5", "reverb", "45", "trim", "0", "1.3")


def mail(st):
    low, high = chime(st, 880.0, 0.9), chime(st, 1318.5, 0.9)
    return st.finish(st.mix([(low, 0, 0.9), (high, 0.2, 0.8)]), "mail.snd", "reverb", "20", "trim", "0", "1.2")


def poss(st):
    laugh = st.voice("mwa ha ha ha ha haa", voice="en+m3", pitch=15, speed=130,
                     effects=("speed", "0.82", "pitch", "-300", "tremolo", "5", "30"))
    drone = st.synth(2.8, "sine", "55", effects=("tremolo", "3", "50", "fade", "h", "0.3", "2.8", "1"))
    whisper = st.synth(2.6, "pinknoise", effects=("bandpass", "3000", "2q", "tremolo", "0.7", "80", "fade", "h", "0.5", "2.6", "1"))
    parts = [(laugh, 0.05, 1.0), (drone, 0, 0.5), (whisper, 0, 0.12)]
    return st.finish(st.mix(parts), "poss.snd", "chorus", "0.6", "0.8", "55", "0.4", "0.25", "2", "-s",
                     "reverb", "70", "fade", "t", "0", "2.95", "0.5")


def sys_blips(st):
    up = st.synth(0.2, "square", "620:1300", effects=("lowpass", "3000", "fade", "q", "0.005", "0.2", "0.08"))
    up2 = st.synth(0.2, "sine", "620:1300", effects=("fade", "q", "0.005", "0.2", "0.08"))
    st.finish(st.mix([(up, 0, 0.35), (up2, 0, 0.8)]), "sys1.snd", "pad", "0", "0.02")
    a = st.synth(0.1, "sine", "1175", effects=("fade", "q", "0.004", "0.1", "0.05"))
    b = st.synth(0.12, "sine", "784", effects=("fade", "q", "0.004", "0.12", "0.08"))
    st.finish(st.mix([(a, 0, 0.9), (b, 0.12, 0.9)]), "sys2.snd", "pad", "0", "0.02")


def jingle(st):
    notes = [(523.25, 0.0), (659.25, 0.14), (783.99, 0.28), (1046.5, 0.42), (783.99, 0.62), (1046.5, 0.76)]
    parts = [(st.synth(0.7, "pluck", f"{f}", effects=("fade", "l", "0", "0.7", "0.6")), t, 0.7) for f, t in notes]
    for f in (523.25, 659.25, 783.99, 1046.5):  # closing chord
        parts.append((st.synth(1.1, "pluck", f"{f}", effects=("fade", "l", "0", "1.1", "1.0")), 0.95, 0.45))
    return st.finish(st.mix(parts), "quibocfg.dat", "pad", "0", "0.3", "reverb", "30", "trim", "0", "2.2")


CLIPS = [lol, applause, catfight, hurl, incoming, smootch, whip, woof, boing, shoot, mail, poss, sys_blips, jingle]


def main(out):
    os.makedirs(out, exist_ok=True)
    work = tempfile.mkdtemp(prefix="quibo-sounds-")
    try:
        st = Studio(work, out)
        for clip in CLIPS:
            clip(st)
    finally:
        shutil.rmtree(work)


if __name__ == "__main__":
    main(sys.argv[1])
