#!/usr/bin/env python3
"""Synthesises every sound the game and its data files name, under data/sounds/: the intro and
race music, the river loop, the scenery's and items' effects, the countdown voices and each racer's
hurt, slap and fall.

Everything is made here from sine and FM tones, a small formant voice and filtered noise from
seeded generators, so the bytes depend on nothing but this script. Mono, 16-bit, 22,050 Hz; WAV
through the standard library; the race music is an MP3 (the game names it so) written through
libsndfile's MPEG encoder, which is the library the game reads sound with.

Run from anywhere:  python3 tools/make_sounds.py [--out FOLDER]
(FOLDER defaults to the repository root; the files go under FOLDER/data/sounds/...).
"""
import argparse
import ctypes
import ctypes.util
import io
import math
import os
import random
import struct
import sys
import wave

RATE = 22050
TWO_PI = 2.0 * math.pi


# ---- building blocks: lists of floats in [-1, 1] ----

def silence(seconds):
    return [0.0] * int(seconds * RATE)


def mix_into(dest, src, at=0.0, gain=1.0):
    start = int(at * RATE)
    if start + len(src) > len(dest):
        dest.extend([0.0] * (start + len(src) - len(dest)))
    for i, v in enumerate(src):
        dest[start + i] += v * gain
    return dest


def envelope(n, attack, release, hold=None):
    """Linear attack, then an exponential fall reaching about -60 dB after `release` seconds."""
    a = max(1, int(attack * RATE))
    out = []
    k = math.log(1000.0) / max(1.0, release * RATE)
    for i in range(n):
        if i < a:
            out.append(i / a)
        elif hold is not None and i < a + int(hold * RATE):
            out.append(1.0)
        else:
            start = a + (int(hold * RATE) if hold is not None else 0)
            out.append(math.exp(-k * (i - start)))
    return out


def glide_tone(seconds, f0, f1, partials=((1, 1.0),), curve=1.0):
    n = int(seconds * RATE)
    phase = 0.0
    out = []
    for i in range(n):
        t = (i / n) ** curve
        f = f0 + (f1 - f0) * t
        phase += TWO_PI * f / RATE
        out.append(sum(a * math.sin(h * phase) for h, a in partials))
    return out


def fm_tone(seconds, carrier, ratio, index, index_decay=0.0):
    n = int(seconds * RATE)
    out = []
    for i in range(n):
        t = i / RATE
        mod = index * math.exp(-index_decay * t) * math.sin(TWO_PI * carrier * ratio * t)
        out.append(math.sin(TWO_PI * carrier * t + mod))
    return out


def noise(seconds, seed):
    rng = random.Random(seed)
    return [rng.uniform(-1.0, 1.0) for _ in range(int(seconds * RATE))]


def lowpass(x, cutoff):
    """One-pole low-pass; `cutoff` may be a number or a per-sample list."""
    y, out = 0.0, []
    for i, v in enumerate(x):
        c = cutoff[i] if isinstance(cutoff, list) else cutoff
        a = 1.0 - math.exp(-TWO_PI * c / RATE)
        y += a * (v - y)
        out.append(y)
    return out


def highpass(x, cutoff):
    low = lowpass(x, cutoff)
    return [a - b for a, b in zip(x, low)]


class Resonator:
    """Two-pole band-pass with unit gain at its centre, retunable per sample (formants)."""

    def __init__(self):
        self.y1 = self.y2 = 0.0

    def step(self, x, freq, bandwidth):
        r = math.exp(-math.pi * bandwidth / RATE)
        theta = TWO_PI * freq / RATE
        c = 2.0 * r * math.cos(theta)
        # Scaled by the denominator's size at the centre, so every formant peaks at the same gain
        # wherever it is tuned.
        gain = abs(1.0 - c * complex(math.cos(theta), -math.sin(theta))
                   + r * r * complex(math.cos(2 * theta), -math.sin(2 * theta)))
        y = gain * x + c * self.y1 - r * r * self.y2
        self.y2, self.y1 = self.y1, y
        return y


def bandpass(x, freq, bandwidth):
    res = Resonator()
    return [res.step(v, freq, bandwidth) for v in x]


def multiply(x, env):
    return [a * b for a, b in zip(x, env)]


def normalise(x, peak=0.8):
    top = max(1e-9, max(abs(v) for v in x))
    return [v * peak / top for v in x]


def fade_edges(x, fade_in=0.003, fade_out=0.01):
    n = len(x)
    a, b = int(fade_in * RATE), int(fade_out * RATE)
    for i in range(min(a, n)):
        x[i] *= i / a
    for i in range(min(b, n)):
        x[n - 1 - i] *= i / b
    return x


def loop_crossfade(x, seconds):
    """Folds the tail over the head so the sound loops without a click."""
    f = int(seconds * RATE)
    body = x[:len(x) - f]
    for i in range(f):
        t = i / f
        body[i] = body[i] * t + x[len(x) - f + i] * (1.0 - t)
    return body


# ---- a small formant voice ----

# Vowel and consonant targets: (F1, F2, F3) in Hz.
FORMANTS = {
    'r': (420, 1300, 1600), 'e': (580, 1800, 2550), 'i': (300, 2300, 3000), 'u': (320, 900, 2300),
    'w': (300, 700, 2200), 'a': (700, 1200, 2600), 'n': (280, 1500, 2500), 'o': (450, 850, 2500),
    'd': (300, 1700, 2600), 'g': (300, 1900, 2500), 'ae': (750, 1700, 2500), 'uh': (600, 1150, 2450),
}


def voice(segments, pitch, seed, breath=0.02, vibrato=0.0, rough=0.0, pitch_end=None):
    """`segments`: (seconds, phone, voiced level, noise level, noise centre Hz). Formants glide
    from one phone to the next; the glottal source is a softened sawtooth at a falling pitch."""
    rng = random.Random(seed)
    total = sum(s[0] for s in segments)
    n = int(total * RATE)
    resonators = [Resonator() for _ in range(3)]
    hiss = Resonator()
    out, phase = [], 0.0
    bounds, t = [], 0.0
    for s in segments:
        bounds.append((t, t + s[0], s))
        t += s[0]
    end_pitch = pitch_end if pitch_end is not None else pitch * 0.8
    seg = 0
    voiced_level = 0.0
    noise_level = 0.0
    previous = 0.0
    for i in range(n):
        now = i / RATE
        while seg < len(bounds) - 1 and now >= bounds[seg][1]:
            seg += 1
        start, stop, (dur, phone, level, nlevel, ncentre) = bounds[seg]
        nxt = bounds[seg + 1][2] if seg + 1 < len(bounds) else bounds[seg][2]
        # Glide over the last third of each segment towards the next phone.
        local = (now - start) / dur
        g = max(0.0, (local - 0.66) / 0.34)
        f_here, f_next = FORMANTS[phone], FORMANTS[nxt[1]]
        freqs = [a + (b - a) * g for a, b in zip(f_here, f_next)]
        voiced_level += (level - voiced_level) * 0.004
        noise_level += (nlevel - noise_level) * 0.02
        p = pitch + (end_pitch - pitch) * (now / total)
        p *= 1.0 + vibrato * math.sin(TWO_PI * 5.5 * now)
        if rough:
            p *= 1.0 + rough * rng.uniform(-1.0, 1.0)
        phase = (phase + p / RATE) % 1.0
        source = (1.0 - 2.0 * phase) * voiced_level + rng.uniform(-1, 1) * breath * voiced_level
        v = 0.0
        for r, f, gain, bw in zip(resonators, freqs, (1.0, 0.8, 0.5), (90, 120, 170)):
            v += gain * r.step(source, f, bw)
        # A gentle treble lift keeps the upper formants, which carry the vowels, audible.
        lifted = v + 2.0 * (v - previous)
        previous = v
        lifted += hiss.step(rng.uniform(-1, 1), ncentre, 1500) * noise_level * 0.6
        out.append(lifted)
    return fade_edges(normalise(out, 0.85), 0.005, 0.03)


# ---- music ----

def midi(note):
    return 440.0 * 2.0 ** ((note - 69) / 12.0)


NOTE_OFF = 0.12


def add_note(track, at, seconds, freq, gain, kind):
    # Each note rings on for a short release after its length, so no note ends on a click.
    on = int(seconds * RATE)
    n = int((seconds + NOTE_OFF) * RATE)
    out = []
    if kind == 'pad':
        env = envelope(n, 0.25, seconds * 1.2, hold=seconds * 0.4)
        for i in range(n):
            t = i / RATE
            out.append(env[i] * (math.sin(TWO_PI * freq * t) + 0.3 * math.sin(TWO_PI * freq * 2.003 * t)
                                 + 0.12 * math.sin(TWO_PI * freq * 3.0 * t)))
    elif kind == 'pluck':
        env = envelope(n, 0.01, seconds)
        for i in range(n):
            t = i / RATE
            out.append(env[i] * math.sin(TWO_PI * freq * t + 1.5 * env[i] * math.sin(TWO_PI * freq * 2.0 * t)))
    elif kind == 'bass':
        env = envelope(n, 0.008, seconds * 0.9)
        for i in range(n):
            t = i / RATE
            out.append(env[i] * (math.sin(TWO_PI * freq * t) + 0.35 * math.sin(TWO_PI * freq * 2.0 * t)
                                 + 0.15 * math.sin(TWO_PI * freq * 3.0 * t)))
    elif kind == 'lead':
        env = envelope(n, 0.01, seconds * 1.4, hold=seconds * 0.5)
        for i in range(n):
            t = i / RATE
            vib = 0.004 * math.sin(TWO_PI * 6.0 * t) * min(1.0, t * 4)
            out.append(env[i] * math.sin(TWO_PI * freq * (1 + vib) * t
                                         + 2.2 * env[i] * math.sin(TWO_PI * freq * t)))
    off = n - on
    for i in range(on, n):
        out[i] *= (1.0 - (i - on) / off) ** 2
    mix_into(track, out, at, gain)


def add_drum(track, at, kind, rng):
    if kind == 'kick':
        n = int(0.25 * RATE)
        phase, out = 0.0, []
        for i in range(n):
            t = i / RATE
            phase += TWO_PI * (45 + 110 * math.exp(-t * 30)) / RATE
            out.append(math.sin(phase) * math.exp(-t * 14))
        mix_into(track, out, at, 0.9)
    elif kind == 'snare':
        n = int(0.18 * RATE)
        raw = [rng.uniform(-1, 1) for _ in range(n)]
        band = bandpass(raw, 1800, 2500)
        out = [(band[i] * 2.0 + 0.4 * math.sin(TWO_PI * 190 * i / RATE)) * math.exp(-i / RATE * 22) for i in range(n)]
        mix_into(track, out, at, 0.5)
    elif kind == 'hat':
        n = int(0.05 * RATE)
        raw = highpass([rng.uniform(-1, 1) for _ in range(n)], 6000)
        out = [raw[i] * math.exp(-i / RATE * 80) for i in range(n)]
        mix_into(track, out, at, 0.25)


def render_song(bpm, bars, chords, melody, bass_pattern, drums, pad, seed):
    """`chords`: one root MIDI note and minor flag per bar; `melody`: (beat, beats, note) triples;
    the song is exactly `bars` long and the tails of its last notes wrap to its start, so it loops."""
    rng = random.Random(seed)
    beat = 60.0 / bpm
    length = int(bars * 4 * beat * RATE)
    track = [0.0] * length
    for bar, (root, minor) in enumerate(chords):
        at = bar * 4 * beat
        third = 3 if minor else 4
        if pad:
            for offset in (0, third, 7):
                add_note(track, at, 4 * beat, midi(root + 12 + offset), 0.10, 'pad')
        else:
            for step in range(8):
                note = root + 24 + (0, third, 7, 12, 7, third, 0, 7)[step]
                add_note(track, at + step * beat / 2, beat / 2, midi(note), 0.07, 'pluck')
        for step, (off, beats) in enumerate(bass_pattern):
            add_note(track, at + off * beat, beats * beat * 0.95, midi(root - 12 + (7 if step == 2 and not pad else 0)),
                     0.22, 'bass')
        if drums:
            for b in range(4):
                add_drum(track, at + b * beat, 'kick' if b % 2 == 0 else 'snare', rng)
                add_drum(track, at + b * beat + beat / 2, 'hat', rng)
                add_drum(track, at + b * beat, 'hat', rng)
    for start, beats, note in melody:
        add_note(track, start * beat, beats * beat, midi(note), 0.22 if drums else 0.16, 'pluck' if pad else 'lead')
    # Wrap the overhang so the loop point is seamless.
    body, tail = track[:length], track[length:]
    for i, v in enumerate(tail[:length]):
        body[i] += v
    return normalise(body, 0.8)


def intro_music():
    # A calm 80 bpm loop in C major over C - Am - F - G, a soft pad, a walking bass, a plucked tune.
    chords = [(48, False), (45, True), (41, False), (43, False)] * 2
    tune = [72, 74, 76, 79, 76, 74, 72, 69, 69, 72, 74, 72, 77, 76, 74, 72,
            71, 74, 79, 77, 76, 74, 72, 71, 72, 76, 79, 81, 77, 76, 74, 72]
    melody = [(i * 1.0, 0.95, n) for i, n in enumerate(tune)]
    return render_song(80, 8, chords, melody, [(0, 2), (2, 1), (3, 1)], drums=False, pad=True, seed=11)


def race_music():
    # A lively 140 bpm loop in A minor over Am - F - C - G with drums, a driving bass and an FM lead.
    chords = [(45, True), (41, False), (48, False), (43, False)] * 4
    riff = [(0, 0.5, 76), (0.5, 0.5, 76), (1, 1, 72), (2, 0.5, 74), (2.5, 0.5, 76), (3, 1, 79),
            (4, 0.5, 77), (4.5, 0.5, 76), (5, 1, 72), (6, 1, 69), (7, 1, 72),
            (8, 0.5, 76), (8.5, 0.5, 79), (9, 1, 84), (10, 1, 83), (11, 1, 79),
            (12, 0.5, 79), (12.5, 0.5, 77), (13, 1, 74), (14, 1, 71), (15, 1, 74)]
    melody = []
    for rep in range(4):
        for start, beats, note in riff:
            melody.append((rep * 16 + start, beats, note + (12 if rep == 2 else 0)))
    eighths = [(i * 0.5, 0.5) for i in range(8)]
    return render_song(140, 16, chords, melody, eighths, drums=True, pad=False, seed=12)


# ---- effects ----

def running_river():
    # Broadband rushing water (brown-ish noise with a slow swell) plus bubbling gurgles; loops.
    rng = random.Random(21)
    seconds = 6.5
    raw = noise(seconds, 22)
    rush = lowpass(lowpass(raw, 1200), 2000)
    hiss = bandpass(noise(seconds, 23), 3000, 2500)
    out = []
    for i in range(len(rush)):
        t = i / RATE
        swell = 0.8 + 0.2 * math.sin(TWO_PI * t / 3.25) + 0.1 * math.sin(TWO_PI * t * 0.77)
        out.append(rush[i] * 3.0 * swell + hiss[i] * 1.6)
    for _ in range(40):
        at = rng.uniform(0.0, seconds - 0.2)
        f0 = rng.uniform(300, 700)
        dur = rng.uniform(0.03, 0.08)
        bubble = glide_tone(dur, f0, f0 * rng.uniform(1.5, 2.2))
        mix_into(out, multiply(bubble, envelope(len(bubble), 0.004, dur)), at, rng.uniform(0.05, 0.15))
    out = out[:int(seconds * RATE)]
    return normalise(loop_crossfade(out, 0.5), 0.6)


def geyser_explode():
    # A deep burst, then a roaring column of water that hisses away.
    seconds = 2.8
    n = int(seconds * RATE)
    boom = lowpass(noise(seconds, 31), 250)
    boom = multiply(boom, envelope(n, 0.01, 0.9))
    cut = [600 + 3400 * min(1.0, i / (0.4 * RATE)) for i in range(n)]
    roar = multiply(lowpass(noise(seconds, 32), cut), envelope(n, 0.25, 2.2, hold=0.5))
    thump = multiply(glide_tone(0.5, 90, 40), envelope(int(0.5 * RATE), 0.005, 0.5))
    out = [b * 6.0 + r * 1.4 for b, r in zip(boom, roar)]
    mix_into(out, thump, 0.0, 0.7)
    return fade_edges(normalise(out, 0.85))


def rock_hit(rng, size):
    dur = 0.08 + size * 0.25
    n = int(dur * RATE)
    body = lowpass(noise(dur, rng.randint(0, 10 ** 6)), 400 + (1 - size) * 1800)
    tone = glide_tone(dur, 140 - size * 60 + rng.uniform(0, 40), 60)
    return multiply([b * 3.0 + 0.6 * t for b, t in zip(body, tone)], envelope(n, 0.002, dur))


def falling_rocks():
    # A tumble of thuds and clacks, thick at first and thinning out.
    rng = random.Random(41)
    out = silence(2.4)
    at = 0.0
    while at < 2.0:
        mix_into(out, rock_hit(rng, rng.uniform(0.2, 1.0)), at, rng.uniform(0.4, 1.0))
        at += rng.uniform(0.03, 0.12) * (1 + at * 1.5)
    rumble = multiply(lowpass(noise(2.4, 42), 120), envelope(len(out), 0.05, 2.0))
    mix_into(out, rumble, 0, 3.0)
    return fade_edges(normalise(out, 0.85))


def boulder():
    # A heavy stone rolling: low rumble pulsing with its turn, grit on top, a final crunch.
    seconds = 2.5
    n = int(seconds * RATE)
    rumble = lowpass(lowpass(noise(seconds, 51), 180), 180)
    grit = bandpass(noise(seconds, 52), 1200, 900)
    out = []
    for i in range(n):
        t = i / RATE
        turn = 0.6 + 0.4 * abs(math.sin(TWO_PI * 1.6 * t))
        out.append(rumble[i] * 14.0 * turn + grit[i] * 0.5 * turn)
    out = multiply(out, envelope(n, 0.2, 2.0, hold=1.2))
    mix_into(out, rock_hit(random.Random(53), 1.0), 1.9, 1.5)
    return fade_edges(normalise(out, 0.85))


def item_jug():
    # Collecting a jug: a bright rising bell arpeggio.
    out = silence(0.9)
    for k, note in enumerate((72, 76, 79, 84)):
        bell = fm_tone(0.5, midi(note), 3.5, 2.0, index_decay=6.0)
        mix_into(out, multiply(bell, envelope(len(bell), 0.003, 0.45)), k * 0.08, 0.5)
    return fade_edges(normalise(out, 0.8))


def mouse_click():
    # A short dry tick for the screens' buttons.
    n = int(0.05 * RATE)
    tick = highpass(noise(0.05, 61), 2000)
    tone = glide_tone(0.05, 1800, 900)
    return fade_edges(normalise(multiply([a + 0.6 * b for a, b in zip(tick, tone)], envelope(n, 0.0005, 0.03)), 0.7),
                      0.0005, 0.005)


def countdown(word):
    # The starter's voice: clear, fairly low, each word on its own falling pitch.
    voiced = {
        'ready': [(0.09, 'r', 1.0, 0, 0), (0.16, 'e', 1.0, 0, 0), (0.04, 'd', 0.0, 0, 0),
                  (0.015, 'd', 0.3, 0.6, 3500), (0.26, 'i', 1.0, 0, 0)],
        'three': [(0.1, 'i', 0.0, 0.6, 5500), (0.07, 'r', 0.9, 0.05, 3000), (0.38, 'i', 1.0, 0, 0)],
        'two': [(0.04, 'i', 0.0, 1.0, 4000), (0.04, 'u', 0.2, 0.3, 2500), (0.38, 'u', 1.0, 0, 0)],
        'one': [(0.08, 'w', 0.8, 0, 0), (0.2, 'uh', 1.0, 0, 0), (0.18, 'n', 0.7, 0, 0)],
        'go': [(0.03, 'g', 0.0, 0.8, 1800), (0.05, 'g', 0.5, 0.1, 1800), (0.25, 'o', 1.0, 0, 0),
               (0.25, 'u', 1.0, 0, 0)],
    }[word]
    pitch = 170.0 if word != 'go' else 200.0
    return voice(voiced, pitch, seed=hash_word(word), vibrato=0.01, pitch_end=pitch * 0.75)


def hash_word(word):
    return sum((i + 1) * ord(c) for i, c in enumerate(word))


# Each character's voice: (pitch, pitch at the end, roughness, vibrato) and its cry.
CHARACTERS = {
    'monkey': (620.0, 820.0, 0.02, 0.06, [(0.12, 'i', 1.0, 0, 0), (0.06, 'ae', 1.0, 0, 0), (0.12, 'i', 1.0, 0, 0),
                                          (0.06, 'ae', 1.0, 0, 0), (0.14, 'i', 1.0, 0, 0)]),
    'hillbilly': (180.0, 120.0, 0.01, 0.03, [(0.07, 'i', 0.9, 0, 0), (0.2, 'e', 1.0, 0, 0), (0.25, 'o', 1.0, 0, 0),
                                             (0.12, 'w', 0.8, 0, 0)]),
    'alien': (300.0, 900.0, 0.0, 0.25, [(0.15, 'u', 1.0, 0, 0), (0.2, 'i', 1.0, 0, 0), (0.2, 'u', 1.0, 0, 0)]),
    'bear': (85.0, 65.0, 0.09, 0.0, [(0.12, 'uh', 0.9, 0.1, 700), (0.35, 'a', 1.0, 0.1, 700), (0.2, 'o', 0.9, 0.1, 500)]),
    'moviestar': (300.0, 220.0, 0.005, 0.04, [(0.08, 'a', 1.0, 0, 0), (0.28, 'o', 1.0, 0, 0), (0.1, 'u', 0.8, 0, 0)]),
    'fish': (240.0, 160.0, 0.03, 0.12, [(0.1, 'u', 1.0, 0, 0), (0.08, 'uh', 0.6, 0, 0), (0.1, 'u', 1.0, 0, 0),
                                        (0.08, 'uh', 0.6, 0, 0), (0.12, 'u', 1.0, 0, 0)]),
}


def hurt(name, seed):
    pitch, end, rough, vib, segments = CHARACTERS[name]
    out = voice(segments, pitch, seed, vibrato=vib, rough=rough, pitch_end=end)
    if name == 'alien':
        # A ring-modulated warble makes the alien unearthly.
        out = [v * (0.6 + 0.4 * math.sin(TWO_PI * 37.0 * i / RATE)) for i, v in enumerate(out)]
    if name == 'fish':
        # Gargled through water: an 18 Hz flutter.
        out = [v * (0.5 + 0.5 * abs(math.sin(TWO_PI * 9.0 * i / RATE))) for i, v in enumerate(out)]
    return fade_edges(normalise(out, 0.85))


def slap(name, seed):
    # A sharp smack of a hand on a face; the body tone and wetness follow the character.
    body, wet = {'monkey': (330, 0.2), 'hillbilly': (220, 0.1), 'alien': (520, 0.0), 'bear': (110, 0.1),
                 'moviestar': (260, 0.0), 'fish': (180, 0.9)}[name]
    seconds = 0.35
    n = int(seconds * RATE)
    crack = multiply(highpass(noise(seconds, seed), 1500), envelope(n, 0.0008, 0.06))
    thud = multiply(glide_tone(seconds, body * 1.5, body), envelope(n, 0.001, 0.15))
    out = [c * 1.2 + t * 0.6 for c, t in zip(crack, thud)]
    if wet:
        splash = multiply(bandpass(noise(seconds, seed + 1), 900, 1200), envelope(n, 0.01, 0.3))
        out = [o + s * 3.0 * wet for o, s in zip(out, splash)]
    if name == 'alien':
        zap = multiply(glide_tone(seconds, 1800, 300, partials=((1, 1.0), (3, 0.3))), envelope(n, 0.002, 0.25))
        out = [o + 0.5 * z for o, z in zip(out, zap)]
    return fade_edges(normalise(out, 0.85), 0.0005)


def fall():
    # A cartoon drop: a whistle sliding down over rushing air. Played looping while a racer falls,
    # so the ends meet.
    seconds = 1.6
    n = int(seconds * RATE)
    whistle = glide_tone(seconds, 1400, 350, partials=((1, 1.0), (2, 0.15)), curve=0.7)
    air = bandpass(noise(seconds, 71), 700, 900)
    out = [w * 0.5 + a * 2.0 for w, a in zip(whistle, air)]
    out = multiply(out, [min(1.0, i / (0.05 * RATE), (n - i) / (0.05 * RATE)) for i in range(n)])
    return normalise(out, 0.8)


def item_sound(name):
    if name == 'bait':
        # A worm dropping in: a plop and a small splash.
        out = multiply(glide_tone(0.25, 900, 250, curve=0.5), envelope(int(0.25 * RATE), 0.002, 0.2))
        splash = multiply(bandpass(noise(0.5, 81), 2500, 2000), envelope(int(0.5 * RATE), 0.03, 0.4))
        return fade_edges(normalise(mix_into(out, splash, 0.05, 2.0), 0.8))
    if name == 'drill':
        # A whining motor with a chattering bit.
        seconds = 1.8
        n = int(seconds * RATE)
        phase, out = 0.0, []
        rng = random.Random(82)
        for i in range(n):
            t = i / RATE
            f = 110 + 70 * min(1.0, t / 0.3) + 8 * math.sin(TWO_PI * 7 * t)
            phase = (phase + f / RATE) % 1.0
            saw = 1.0 - 2.0 * phase
            out.append(saw * (0.7 + 0.3 * math.sin(TWO_PI * 30 * t)) + 0.15 * rng.uniform(-1, 1))
        out = lowpass(out, 3000)
        return fade_edges(normalise(multiply(out, envelope(n, 0.05, 0.5, hold=1.2)), 0.8))
    if name == 'fishingpole':
        # A whoosh of the cast and the reel's ratchet spinning out.
        seconds = 1.2
        n = int(seconds * RATE)
        cut = [300 + 4000 * math.sin(math.pi * min(1.0, i / (0.35 * RATE))) for i in range(n)]
        whoosh = multiply(lowpass(noise(seconds, 83), cut), envelope(n, 0.15, 0.3, hold=0.05))
        out = [w * 1.5 for w in whoosh]
        at = 0.3
        step = 0.02
        while at < 1.1:
            mix_into(out, multiply(highpass(noise(0.006, int(at * 1000)), 3000), envelope(int(0.006 * RATE), 0.0005, 0.005)),
                     at, 0.5)
            at += step
            step *= 1.06
        return fade_edges(normalise(out, 0.8))
    if name == 'mine':
        # A depth charge: a crack, a heavy boom and falling spray.
        seconds = 2.2
        n = int(seconds * RATE)
        boom = multiply(lowpass(lowpass(noise(seconds, 84), 300), 300), envelope(n, 0.005, 1.6))
        crack = multiply(highpass(noise(seconds, 85), 1000), envelope(n, 0.001, 0.15))
        thump = multiply(glide_tone(0.6, 110, 35), envelope(int(0.6 * RATE), 0.002, 0.6))
        spray = multiply(bandpass(noise(seconds, 86), 2500, 3000), envelope(n, 0.4, 1.6))
        out = [b * 14.0 + c * 0.8 + s * 1.5 for b, c, s in zip(boom, crack, spray)]
        mix_into(out, thump, 0.0, 1.2)
        return fade_edges(normalise(out, 0.85))
    if name == 'propeller':
        # An outboard motor: chopped air at the blade rate over an engine hum; loops.
        seconds = 2.0
        n = int(seconds * RATE)
        air = bandpass(noise(seconds, 87), 800, 1200)
        out = []
        for i in range(n):
            t = i / RATE
            chop = 0.4 + 0.6 * abs(math.sin(math.pi * 24 * t))
            hum = math.sin(TWO_PI * 72 * t) + 0.5 * math.sin(TWO_PI * 144 * t) + 0.25 * math.sin(TWO_PI * 216 * t)
            out.append(air[i] * 3.0 * chop + 0.35 * hum * chop)
        return normalise(out, 0.8)
    if name == 'shark':
        # The shark's coming: two low alternating notes, closer and closer, over a swish of water.
        out = silence(2.4)
        for k in range(6):
            note = 40 if k % 2 == 0 else 41
            dur = 0.5 - k * 0.05
            at = sum(0.5 - j * 0.05 for j in range(k))
            tone = multiply(glide_tone(dur, midi(note), midi(note), partials=((1, 1.0), (2, 0.5), (3, 0.3), (4, 0.15))),
                            envelope(int(dur * RATE), 0.01, dur))
            mix_into(out, tone, at, 0.3 + 0.12 * k)
        swish = multiply(bandpass(noise(2.4, 88), 700, 900), envelope(len(out), 1.0, 1.4, hold=0.6))
        mix_into(out, swish, 0.0, 0.5)
        return fade_edges(normalise(out, 0.85))
    raise ValueError(name)


# ---- files ----

def to_pcm(samples):
    clipped = (max(-1.0, min(1.0, v)) for v in samples)
    return b''.join(struct.pack('<h', int(round(v * 32767))) for v in clipped)


def wav_bytes(samples):
    buffer = io.BytesIO()
    with wave.open(buffer, 'wb') as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(to_pcm(samples))
    return buffer.getvalue()


class SfInfo(ctypes.Structure):
    _fields_ = [('frames', ctypes.c_int64), ('samplerate', ctypes.c_int), ('channels', ctypes.c_int),
                ('format', ctypes.c_int), ('sections', ctypes.c_int), ('seekable', ctypes.c_int)]


SF_FORMAT_MPEG = 0x230000
SF_FORMAT_MPEG_LAYER_III = 0x0082
SFM_WRITE = 0x20


def write_mp3(path, samples):
    """Encodes through libsndfile (LAME underneath): the same library and settings give the same
    bytes, which the staleness check relies on."""
    name = ctypes.util.find_library('sndfile')
    if name is None:
        sys.exit('make_sounds.py: libsndfile is needed to write %s (scripts/install-deps.sh installs it)' % path)
    lib = ctypes.CDLL(name)
    lib.sf_open.restype = ctypes.c_void_p
    lib.sf_open.argtypes = [ctypes.c_char_p, ctypes.c_int, ctypes.POINTER(SfInfo)]
    lib.sf_writef_short.restype = ctypes.c_int64
    lib.sf_writef_short.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int64]
    lib.sf_close.argtypes = [ctypes.c_void_p]
    lib.sf_strerror.restype = ctypes.c_char_p
    lib.sf_strerror.argtypes = [ctypes.c_void_p]
    info = SfInfo(0, RATE, 1, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 0, 0)
    handle = lib.sf_open(path.encode(), SFM_WRITE, ctypes.byref(info))
    if not handle:
        sys.exit('make_sounds.py: libsndfile cannot write MP3 %s: %s' % (path, lib.sf_strerror(None).decode()))
    pcm = to_pcm(samples)
    frames = len(pcm) // 2
    written = lib.sf_writef_short(handle, pcm, frames)
    lib.sf_close(handle)
    if written != frames:
        sys.exit('make_sounds.py: wrote %d of %d frames to %s' % (written, frames, path))


def outputs():
    """(name under data/sounds/, samples) for every sound."""
    yield 'music/intro_short.wav', intro_music()
    yield 'music/Breakdown.mp3', race_music()
    yield 'sfx/environment/runnnig_river.wav', running_river()
    yield 'sfx/environment/geyser_explode.wav', geyser_explode()
    yield 'sfx/environment/falling_rocks.wav', falling_rocks()
    yield 'sfx/environment/boulder.wav', boulder()
    yield 'sfx/environment/item_jug.wav', item_jug()
    for word in ('ready', 'three', 'two', 'one', 'go'):
        yield 'sfx/general_racer_sounds/%s.wav' % word, countdown(word)
    yield 'sfx/general_racer_sounds/fall.wav', fall()
    for k, name in enumerate(CHARACTERS):
        yield 'sfx/%s/%s_hurt.wav' % (name, name), hurt(name, 100 + k)
        yield 'sfx/%s/%s_slap.wav' % (name, name), slap(name, 200 + k)
    for name in ('bait', 'drill', 'fishingpole', 'mine', 'propeller', 'shark'):
        yield 'sfx/items/%s.wav' % name, item_sound(name)
    yield 'sfx/gui/mouse_click.wav', mouse_click()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--out', default=os.path.join(os.path.dirname(os.path.abspath(__file__)), '..'),
                        help='folder to write data/sounds/... under (default: the repository root)')
    args = parser.parse_args()
    for name, samples in outputs():
        path = os.path.join(args.out, 'data', 'sounds', name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        if name.endswith('.mp3'):
            write_mp3(path, samples)
        else:
            with open(path, 'wb') as f:
                f.write(wav_bytes(samples))


if __name__ == '__main__':
    main()
