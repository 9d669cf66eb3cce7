"""The transcription benchmark: renders the reference pieces, converts them with
Tonagram_batch in each mode, scores the results against the note lists and prints one
table per SoundFont (saved under bench/results/ unless only part of the set ran).

Modes:
  off     Tonagram_batch NAME: the default, sensitive output
  filter  the default output through the GUI's whole-list filter at its defaults
          (velocity >= 20, length >= 300 ticks)
  clean   Tonagram_batch NAME c:1, or the arguments in TONAGRAM_CLEAN_ARGS; "n/a" when the
          option fails or changes nothing

Developers' fast path: --reuse keeps existing conversions (off and filter are not run again;
clean is run again from the analysis file its last full conversion left, without analysing),
and --modes/--soundfonts/--clips score only part of the set.
"""

import argparse
import datetime
import os
import platform
import shlex
import subprocess
import sys
import time

import pieces
import render
import score

MODES = ["off", "filter", "clean"]


def parse_arguments():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--build-dir", default="build/release", help="release build with bin/ (default build/release)")
    p.add_argument("--modes", default=",".join(MODES), help="comma-separated subset of off,filter,clean")
    p.add_argument("--soundfonts", default=",".join(render.SOUNDFONTS),
                   help="comma-separated subset of FluidR3_GM,TimGM6mb (tuned on) and MuseScore_General_Lite "
                        "(checked on), or paths of other .sf2/.sf3 files")
    p.add_argument("--clips", default="", help="comma-separated clip names (default all); 'tuning' or 'held-out' for those sets")
    p.add_argument("--reuse", action="store_true",
                   help="reuse existing conversions; clean re-runs from the analysis file of its last full conversion")
    p.add_argument("--detail", action="store_true",
                   help="also print onset precision, recall and median onset lag per clip")
    p.add_argument("--instruments", choices=["own", "other"], default="own",
                   help="'other': every piece on other General MIDI instruments, a whole tone lower "
                        "(a check on sounds nothing was tuned on)")
    p.add_argument("--no-save", action="store_true", help="print only, even for a full run")
    return p.parse_args()


def select_pieces(spec, instruments):
    all_pieces = pieces.build_pieces()
    if instruments == "other":
        all_pieces = [pieces.on_other_instruments(p) for p in all_pieces]
    if not spec:
        return all_pieces
    chosen = []
    for name in spec.split(","):
        if name == "tuning":
            chosen += [p for p in all_pieces if not p.held_out]
        elif name == "held-out":
            chosen += [p for p in all_pieces if p.held_out]
        else:
            match = [p for p in all_pieces if p.name == name]
            if not match:
                sys.exit(f"unknown clip {name!r}; clips: {', '.join(p.name for p in all_pieces)}")
            chosen += match
    return [p for p in all_pieces if p in chosen]


def clean_arguments():
    return shlex.split(os.environ.get("TONAGRAM_CLEAN_ARGS", "c:1"))


class Converter:
    """Runs conversions in build/.../bench-transcription/conversions/<group>/<mode>/, one
    folder per mode with a link to the clip's WAV file, so each mode's outputs sit beside
    their own copy of the name. Keeps the wall-clock time of each full conversion in a
    NAME.seconds file beside it."""

    def __init__(self, bin_dir, work_dir, reuse):
        self.bin_dir = bin_dir
        self.work_dir = work_dir
        self.reuse = reuse
        self.clean_state = None  # None: untried; True: works; False: not available
        self.done = {}  # (group, mode, name) -> result of this run: each conversion runs once

    def _place(self, wav, group, mode, name):
        folder = os.path.join(self.work_dir, "conversions", group, mode)
        os.makedirs(folder, exist_ok=True)
        link = os.path.join(folder, name + ".wav")
        if not os.path.lexists(link):
            os.symlink(os.path.abspath(wav), link)
        return folder

    def _run(self, program, folder, name, arguments):
        for ext in ("txt", "mid"):
            if os.path.exists(os.path.join(folder, f"{name}.{ext}")):
                os.remove(os.path.join(folder, f"{name}.{ext}"))
        start = time.perf_counter()
        done = subprocess.run([os.path.join(self.bin_dir, program), name] + arguments, cwd=folder,
                              stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        seconds = time.perf_counter() - start
        return done.returncode == 0, seconds, done.stdout

    @staticmethod
    def _timing(folder, name):
        path = os.path.join(folder, name + ".seconds")
        return float(open(path).read()) if os.path.exists(path) else None

    def _convert(self, wav, group, mode, name, arguments):
        """(path of the .mid file or None, conversion seconds or None)."""
        key = (group, mode, name)
        if key not in self.done:
            self.done[key] = self._convert_once(wav, group, mode, name, arguments)
        return self.done[key]

    @staticmethod
    def _newer(path, wav):
        """True when path exists and was made after the audio it comes from."""
        return os.path.exists(path) and os.path.getmtime(path) >= os.path.getmtime(wav)

    def _convert_once(self, wav, group, mode, name, arguments):
        folder = self._place(wav, group, mode, name)
        mid = os.path.join(folder, name + ".mid")
        fft = os.path.join(folder, name + ".fft")
        if self.reuse and mode == "off" and self._newer(mid, wav):
            return mid, self._timing(folder, name)
        reconvert = self.reuse and mode == "clean" and self._newer(fft, wav)
        ok, seconds, log = self._run("reconvert" if reconvert else "Tonagram_batch", folder, name, arguments)
        if not ok:
            print(f"{mode} conversion of {group}/{name} ({' '.join(arguments)}) failed:\n  "
                  + "\n  ".join(log.strip().splitlines()[-3:]), file=sys.stderr)
            return None, None
        if reconvert:
            return mid, self._timing(folder, name)
        with open(os.path.join(folder, name + ".seconds"), "w") as f:
            f.write(f"{seconds:.6f}\n")
        return mid, seconds

    def off(self, wav, group, name):
        return self._convert(wav, group, "off", name, [])

    def filter(self, wav, group, name):
        mid, seconds = self.off(wav, group, name)
        if mid is None:
            return None, None
        folder = os.path.dirname(mid)
        out = os.path.join(folder, name + ".filter.mid")
        if self.reuse and self._newer(out, mid):
            return out, seconds
        if os.path.exists(out):
            os.remove(out)
        start = time.perf_counter()
        subprocess.run([os.path.join(self.bin_dir, "filter_midi"), name + ".txt", name + ".filter.mid"],
                       cwd=folder, check=True, stdout=subprocess.DEVNULL)
        return out, (None if seconds is None else seconds + time.perf_counter() - start)

    def clean(self, wav, group, name):
        if self.clean_state is False:
            return None, None
        mid, seconds = self._convert(wav, group, "clean", name, clean_arguments())
        if self.clean_state is None:
            # An option the program does not know is ignored: output identical to the default
            # output means there is no clean mode in this build.
            off_mid, _ = self.off(wav, group, name)
            same = mid is not None and off_mid is not None and open(mid, "rb").read() == open(off_mid, "rb").read()
            self.clean_state = mid is not None and not same
            if not self.clean_state:
                print(f"clean mode ({' '.join(clean_arguments())}) not available: shown as n/a", file=sys.stderr)
                return None, None
        return mid, seconds


def soundfont_name(spec):
    """The name of a SoundFont given by name or path; a path is registered under its file's
    stem, so its audio gets a folder of its own."""
    if spec in render.SOUNDFONTS:
        return spec
    if not os.path.isfile(spec):
        sys.exit(f"unknown SoundFont {spec!r}; SoundFonts: {', '.join(render.SOUNDFONTS)} or a path to a file")
    name = os.path.splitext(os.path.basename(spec))[0]
    render.SOUNDFONTS[name] = os.path.abspath(spec)  # joined onto SOUNDFONT_DIR, an absolute path stays itself
    return name


def main():
    args = parse_arguments()
    modes = [m for m in args.modes.split(",") if m]
    soundfonts = [s for s in args.soundfonts.split(",") if s]
    for m in modes:
        if m not in MODES:
            sys.exit(f"unknown mode {m!r}; modes: {', '.join(MODES)}")
    built_in = set(render.SOUNDFONTS)
    soundfonts = [soundfont_name(s) for s in soundfonts]
    chosen = select_pieces(args.clips, args.instruments)
    other = args.instruments == "other"
    bin_dir = os.path.abspath(os.path.join(args.build_dir, "bin"))
    work_dir = os.path.abspath(os.path.join(args.build_dir, "bench-transcription" + ("-other" if other else "")))
    converter = Converter(bin_dir, work_dir, args.reuse)

    tables = []
    for soundfont in soundfonts:
        rows = []
        for piece in chosen:
            wav = render.render(piece, soundfont, os.path.join(work_dir, "audio"))
            group = render.audio_group(piece, soundfont)
            audio = render.wav_seconds(wav)
            reference = pieces.reference_notes(piece)
            row = {"name": piece.name, "category": piece.category, "held_out": piece.held_out,
                   "reference": len(reference)}
            for mode in modes:
                mid, seconds = getattr(converter, mode)(wav, group, piece.name)
                if mid is None:
                    row[mode] = None
                    continue
                estimate = score.read_midi_notes(mid)
                onset, full = score.f1_scores(reference, estimate)
                row[mode] = {"onset": onset, "full": full, "notes": len(estimate), "audio": audio,
                             "speed": audio / seconds if seconds else None}
                if args.detail:
                    row[mode]["precision"], row[mode]["recall"], row[mode]["lag"] = \
                        score.onset_details(reference, estimate)
            rows.append(row)
            print(f"{soundfont} {piece.name}: " + ", ".join(
                f"{m} {row[m]['onset']:.2f}" if row[m] else f"{m} n/a" for m in modes), file=sys.stderr, flush=True)
        title = f"{soundfont} ({render.SOUNDFONTS[soundfont]})"
        tables.append(score.table(title, rows, modes))
        if args.detail:
            tables.append(score.detail_table(title, rows, modes))

    header = [f"# Transcription benchmark {datetime.datetime.now(datetime.timezone.utc):%Y-%m-%dT%H:%MZ} "
              f"on {platform.system()} {platform.release()} {platform.machine()}, {os.cpu_count()} cores, "
              f"load average {' '.join(f'{x:.2f}' for x in os.getloadavg())}",
              f"# clean mode arguments: {' '.join(clean_arguments())}" + (" (reused conversions)" if args.reuse else ""),
              *(["# instruments: other (each piece on other General MIDI instruments, a whole tone lower)"]
                if other else []),
              score.legend(), ""]
    text = "\n".join(header) + "\n" + "\n\n".join(tables) + "\n"
    print(text)
    complete = (not args.clips and set(modes) == set(MODES) and set(soundfonts) == built_in
                and not args.reuse)
    if complete and not args.no_save:
        os.makedirs("bench/results", exist_ok=True)
        path = (f"bench/results/{datetime.date.today():%Y-%m-%d}-transcription{'-other' if other else ''}-"
                f"{platform.machine()}.txt")
        with open(path, "w") as f:
            f.write(text)
        print(f"Saved: {path}")


if __name__ == "__main__":
    main()
