#!/usr/bin/env python3
"""Times juanzhi-cli against the standard tools doing the same jobs.

Generates GBK books (Chinese text, chapter headings "第…章" at irregular
intervals, CR LF line ends), then, in each of several rounds, times every
job with our program, with the standard tool and with cp of the same bytes,
one after the other on freshly prepared input. Prints the medians, the
ratios and the peak memory of each program.

Run through bench/run.sh, which builds what is timed.
"""

import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

SEED = 936

# GB2312 level-1 characters: the common ones, in GBK bytes. The chapter
# markers stay out of the text, so only headings hold them.
MARKERS = {"第".encode("gbk"), "章".encode("gbk"), "节".encode("gbk")}
CHARACTERS = [
    bytes([lead, trail])
    for lead in range(0xB0, 0xD8)
    for trail in range(0xA1, 0xFF)
    if not (lead == 0xD7 and trail > 0xF9) and bytes([lead, trail]) not in MARKERS
]
COMMA = "，".encode("gbk")
STOP = "。".encode("gbk")
INDENT = "　　".encode("gbk")
CRLF = b"\r\n"
HERO = "林风".encode("gbk")
NEW_HERO = "萧云".encode("gbk")
INSERTED = "本书由卷帙坊整理"

DIGITS = "零一二三四五六七八九"


def chinese_number(n):
    """1 → 一, 21 → 二十一, 1005 → 一千零五."""
    if n < 10:
        return DIGITS[n]
    text, zero = "", False
    for value, unit in ((1000, "千"), (100, "百"), (10, "十"), (1, "")):
        digit = n // value % 10
        if digit == 0:
            zero = bool(text)
            continue
        if zero:
            text += "零"
            zero = False
        if not (value == 10 and digit == 1 and not text):
            text += DIGITS[digit]
        text += unit
    return text


class Writer:
    def __init__(self, rng):
        self.rng = rng
        # Paragraphs drawn from a pool keep generating fast.
        self.pool = [self._paragraph() for _ in range(4000)]

    def _sentence(self):
        words = self.rng.choices(CHARACTERS, k=self.rng.randint(6, 24))
        if self.rng.random() < 0.25:
            words.insert(self.rng.randrange(len(words)), HERO)
        return b"".join(words) + (STOP if self.rng.random() < 0.4 else COMMA)

    def _paragraph(self):
        sentences = [self._sentence() for _ in range(self.rng.randint(1, 8))]
        return INDENT + b"".join(sentences) + CRLF

    def words(self, count):
        return b"".join(self.rng.choices(CHARACTERS, k=count))

    def text(self, size):
        parts, length = [], 0
        while length < size:
            paragraph = self.rng.choice(self.pool)
            parts.append(paragraph)
            length += len(paragraph)
        return b"".join(parts)

    def book(self, size, chapter_bytes):
        """A book of about `size` bytes, chapters of 0.1 to 1.9 times
        `chapter_bytes`, under a title line."""
        parts = ["《".encode("gbk") + self.words(4) + "》作者：".encode("gbk") + self.words(3) + CRLF]
        length, number = len(parts[0]), 1
        while length < size:
            heading = ("第" + chinese_number(number) + "章 ").encode("gbk") + self.words(
                self.rng.randint(2, 8)) + CRLF
            body = self.text(int(chapter_bytes * self.rng.uniform(0.1, 1.9)))
            parts += [heading, body]
            length += len(heading) + len(body)
            number += 1
        return b"".join(parts)


def write(path, data):
    with open(path, "wb") as file:
        file.write(data)


def fresh_folder(path):
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


PEAK_FILE = os.path.join(tempfile.gettempdir(), f"juanzhi-bench-peak-{os.getpid()}")


def run_timed(command, stdout=subprocess.DEVNULL, cwd=None):
    """Runs a command; gives its wall time in ms and its peak memory in MiB.

    The peak comes from GNU time, which reads it for the command alone: a
    process started from this one would count this one's memory too, from
    before its exec."""
    env = dict(os.environ, LC_ALL="C")
    measured = ["/usr/bin/time", "-f", "%M", "-o", PEAK_FILE, *command]
    start = time.perf_counter()
    result = subprocess.run(measured, stdout=stdout, stderr=subprocess.PIPE, cwd=cwd, env=env)
    elapsed = (time.perf_counter() - start) * 1000
    if result.returncode != 0:
        sys.exit(f"failed ({result.returncode}): {command[:4]}...\n"
                 f"{result.stderr.decode(errors='replace')}")
    with open(PEAK_FILE) as peak:
        return elapsed, int(peak.read().split()[-1]) / 1024


class Job:
    """One job: our command, the standard tool's, and cp of the same bytes.
    `prepare` runs untimed before each of them."""

    def __init__(self, name, tool, ours, theirs, limit, limit_name="cp", prepare=lambda: None):
        self.name, self.tool, self.limit_name = name, tool, limit_name
        self.commands = {"ours": ours, "theirs": theirs, "limit": limit}
        self.prepare = prepare
        self.times = {kind: [] for kind in self.commands}
        self.memory = {kind: 0.0 for kind in self.commands}

    def run_round(self, order):
        for kind in order:
            self.prepare()
            elapsed, memory = self.commands[kind]()
            self.times[kind].append(elapsed)
            self.memory[kind] = max(self.memory[kind], memory)


def make_jobs(cli, work, rng):
    """The jobs, and the folder their runs write to."""
    writer = Writer(rng)
    print("Generating books ...", file=sys.stderr)
    sources = fresh_folder(os.path.join(work, "sources"))

    # replace and split: one book of 20 MB with about 2,000 chapters
    big = os.path.join(sources, "big.txt")
    write(big, writer.book(20_000_000, 10_000))
    # merge: 200 books of 100 KB
    merge_books = [os.path.join(sources, f"merge{n:03}.txt") for n in range(200)]
    for path in merge_books:
        write(path, writer.book(100_000, 8_000))
    # insertion: 200 books of 1 MB
    insert_sources = fresh_folder(os.path.join(sources, "insert"))
    for n in range(200):
        write(os.path.join(insert_sources, f"book{n:03}.txt"), writer.book(1_000_000, 10_000))
    # rename: 10,000 small books, each with its own title
    rename_sources = fresh_folder(os.path.join(sources, "rename"))
    for n in range(10_000):
        title = writer.words(3) + chinese_number(n + 1).encode("gbk")
        body = writer.text(rng.randint(1_000, 4_000))
        write(os.path.join(rename_sources, f"download{n:05}.txt"),
              "《".encode("gbk") + title + "》作者：佚名".encode("gbk") + CRLF + body)

    heading = "^" + "第".encode("gbk").decode("latin-1") + ".*" + "章".encode("gbk").decode("latin-1")
    sed_replace = "s/" + HERO.decode("latin-1") + "/" + NEW_HERO.decode("latin-1") + "/g"
    inserted_gbk = INSERTED.encode("gbk").decode("latin-1")
    # Python hands str arguments to the OS as UTF-8; these must stay bytes.
    as_bytes = lambda text: text.encode("latin-1")

    # Every run works in paths of its own, and nothing is removed until the
    # end: on ext4, files created where thousands were deleted a moment ago
    # cost many times more, and by chance, which would swamp the figures.
    runs = [0]
    place = {}
    runs_folder = tempfile.mkdtemp(prefix="runs-", dir=work)

    def fresh(name):
        return os.path.join(runs_folder, str(runs[0]), name)

    def prepare_with(setup):
        def prepare():
            runs[0] += 1
            os.makedirs(fresh(""))
            place["copies"] = fresh("copies")
            os.makedirs(place["copies"])
            setup()
        return prepare

    def copy_big():
        place["target"] = fresh("replace.txt")
        shutil.copyfile(big, place["target"])

    def new_pieces_folder():
        place["pieces"] = fresh("pieces")
        os.makedirs(place["pieces"])

    def new_merged_book():
        place["merged"] = fresh("merged.txt")

    def copy_tree(source, key):
        def setup():
            place[key] = fresh(key)
            shutil.copytree(source, place[key])
            place["moved"] = fresh("moved")
            os.makedirs(place["moved"])
        return setup

    def listed(key):
        folder = place[key]
        return sorted(os.path.join(folder, name) for name in os.listdir(folder))

    def merge_cat():
        with open(place["merged"], "wb") as output:
            return run_timed(["cat", *merge_books], stdout=output)

    rename_loop = (
        'for f in *.txt; do IFS= read -r line < "$f"; t=${line#*$1}; t=${t%$2*}; '
        'mv -n -- "$f" "$t.txt"; done')
    open_title = as_bytes("《".encode("gbk").decode("latin-1"))
    close_title = as_bytes("》".encode("gbk").decode("latin-1"))

    return [
        Job("replace, 20 MB book", "sed -i (C locale)",
            lambda: run_timed([cli, "replace", "--search", "林风", "--with", "萧云", place["target"]]),
            lambda: run_timed(["sed", "-i", as_bytes(sed_replace), place["target"]]),
            lambda: run_timed(["cp", big, place["copies"]]),
            prepare=prepare_with(copy_big)),
        Job("split, 20 MB, ~2,000 chapters", "csplit",
            lambda: run_timed([cli, "split", "--name", "卷", "--out", place["pieces"], big]),
            lambda: run_timed(["csplit", "-s", "-z", "-f", os.path.join(place["pieces"], "piece"),
                               big, b"/" + as_bytes(heading) + b"/", "{*}"]),
            lambda: run_timed(["cp", big, place["copies"]]),
            prepare=prepare_with(new_pieces_folder)),
        Job("merge, 200 × 100 KB", "cat",
            lambda: run_timed([cli, "merge", "-o", place["merged"], *merge_books]),
            merge_cat,
            lambda: run_timed(["cp", *merge_books, place["copies"]]),
            prepare=prepare_with(new_merged_book)),
        Job("insert 2nd line, 200 × 1 MB", "sed -i '1a …'",
            lambda: run_timed([cli, "insert", "--second-line", "--text", INSERTED, *listed("insert")]),
            lambda: run_timed(["sed", "-i", as_bytes("1a " + inserted_gbk), *listed("insert")]),
            lambda: run_timed(["cp", *listed("insert"), place["copies"]]),
            prepare=prepare_with(copy_tree(insert_sources, "insert"))),
        Job("rename, 10,000 small books", "sh: read + mv -n",
            lambda: run_timed([cli, "rename", *listed("rename")]),
            lambda: run_timed(["bash", "-c", rename_loop, "rename", open_title, close_title],
                              cwd=place["rename"]),
            lambda: run_timed(["mv", "-t", place["moved"], *listed("rename")]),
            limit_name="mv",
            prepare=prepare_with(copy_tree(rename_sources, "rename"))),
    ], runs_folder


def window_figures(window_bench, rounds):
    """Medians of the window benchmark's import and page switch."""
    if not window_bench:
        return None
    env = dict(os.environ)
    env.setdefault("QT_QPA_PLATFORM", "offscreen")
    output = subprocess.run([window_bench], env=env, capture_output=True, text=True, check=True).stdout
    rows = [line.split() for line in output.splitlines()[1:] if line.strip()]
    return statistics.median(float(r[1]) for r in rows), statistics.median(float(r[2]) for r in rows)


def creation_probe(work):
    """Milliseconds to create and remove 200 empty files in the work folder:
    far above 0.05 each, file creation there is slowed by the folder's past
    (ext4 without a journal skips inodes deleted less than a minute ago)."""
    probe = os.path.join(work, "probe")
    os.makedirs(probe)
    start = time.perf_counter()
    for number in range(200):
        open(os.path.join(probe, str(number)), "wb").close()
    elapsed = (time.perf_counter() - start) * 1000 / 200
    shutil.rmtree(probe)
    return elapsed


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cli", required=True, help="the juanzhi-cli to time")
    parser.add_argument("--window-bench", help="the window benchmark program")
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--work", help="a folder for the books (default: a new one under /var/tmp)")
    parser.add_argument("--only", help="time only the jobs whose name starts with this")
    arguments = parser.parse_args()

    work = arguments.work or tempfile.mkdtemp(prefix="juanzhi-bench-", dir="/var/tmp")
    os.makedirs(work, exist_ok=True)
    per_file = creation_probe(work)
    if per_file > 0.05:
        print(f"Warning: creating a file in {work} takes {per_file:.2f} ms; the split and "
              "rename figures will be inflated. A folder elsewhere, or a minute's wait after "
              "deleting many files, helps.", file=sys.stderr)
    jobs, runs_folder = make_jobs(os.path.abspath(arguments.cli), work, random.Random(SEED))
    if arguments.only:
        jobs = [job for job in jobs if job.name.startswith(arguments.only)]

    kinds = ["ours", "theirs", "limit"]
    for round_number in range(arguments.rounds):
        print(f"Round {round_number + 1} of {arguments.rounds} ...", file=sys.stderr)
        # Each round starts with another of the three, so none always runs
        # first after the preparation.
        order = kinds[round_number % 3:] + kinds[:round_number % 3]
        for job in jobs:
            job.run_round(order)

    print(f"Medians of {arguments.rounds} interleaved rounds, in ms; peak memory in MiB.\n")
    print("| job | ours | standard tool | tool | ours / tool | limit | ours / limit "
          "| memory: ours | tool | limit |")
    print("|---|---:|---|---:|---:|---:|---:|---:|---:|---:|")
    for job in jobs:
        median = {kind: statistics.median(times) for kind, times in job.times.items()}
        print(f"| {job.name} | {median['ours']:.0f} | {job.tool} | {median['theirs']:.0f} "
              f"| {median['ours'] / median['theirs']:.2f} "
              f"| {job.limit_name} {median['limit']:.0f} | {median['ours'] / median['limit']:.2f} "
              f"| {job.memory['ours']:.1f} | {job.memory['theirs']:.1f} | {job.memory['limit']:.1f} |")

    figures = window_figures(arguments.window_bench, arguments.rounds)
    if figures:
        print(f"\nWindow, 10,000 books: import {figures[0]:.0f} ms, page switch {figures[1]:.0f} ms "
              f"(medians, {os.environ.get('QT_QPA_PLATFORM', 'offscreen')} platform).")
    shutil.rmtree(runs_folder, ignore_errors=True)
    if not arguments.work:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
