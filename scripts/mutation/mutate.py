#!/usr/bin/env python3
"""Plants each fault of mutants.py in a copy of the tree, one at a time: rebuild, run the named test
programs first and the whole ctest only when they pass, revert. Not part of CI.

    mutate.py SOURCE_TREE WORK_DIR RESULT_FILE [own|earlier|work|all] [ID ...]

SOURCE_TREE is copied (without build folders) to WORK_DIR/src and built there once.
"""
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mutants  # noqa: E402

JOBS = os.environ.get("MUTATE_JOBS", "3")
ENV = dict(os.environ, SDL_AUDIODRIVER="dummy", UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1")


def run(cmd, cwd, timeout, log):
    with open(log, "a") as out:
        out.write("$ " + " ".join(cmd) + "\n")
        out.flush()
        try:
            return subprocess.run(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, timeout=timeout,
                                  env=ENV).returncode
        except subprocess.TimeoutExpired:
            out.write("timed out\n")
            return -1


def main():
    source, work, result = sys.argv[1], sys.argv[2], sys.argv[3]
    which = sys.argv[4] if len(sys.argv) > 4 else "own"
    only = set(sys.argv[5:])
    chosen = {"own": mutants.OWN, "earlier": mutants.EARLIER, "work": mutants.WORK,
              "all": mutants.EARLIER + mutants.OWN + mutants.WORK}[which]
    if only:
        chosen = [m for m in chosen if m[0] in only]
    src = os.path.join(work, "src")
    build = os.path.join(src, "build")
    log = os.path.join(work, "mutate.log")
    if not os.path.isdir(build):
        shutil.copytree(source, src, ignore=shutil.ignore_patterns("build", "build-*", ".git"),
                        dirs_exist_ok=True)
        run(["cmake", "-S", ".", "-B", "build", "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
             "-DKESTROVA_WERROR=ON", "-DKESTROVA_BENCH=OFF"], src, 600, log)
    if run(["cmake", "--build", "build", "-j", JOBS], src, 3600, log) != 0:
        sys.exit("the unchanged tree does not build")
    if os.environ.get("MUTATE_BASELINE", "1") == "1" and \
            run(["ctest", "-j", "4", "--timeout", "180"], build, 3600, log) != 0:
        sys.exit("the unchanged tree fails its tests")

    for ident, path, original, planted, programs in chosen:
        file = os.path.join(src, path)
        text = open(file).read()
        if text.count(original) != 1:
            line = f"{ident} SKIPPED: original text found {text.count(original)} times in {path}"
            print(line, flush=True)
            open(result, "a").write(line + "\n")
            continue
        start = time.time()
        open(file, "w").write(text.replace(original, planted))
        try:
            with open(log, "a") as out:
                out.write(f"\n===== {ident} {path}\n")
            verdict = None
            if run(["cmake", "--build", "build", "-j", JOBS, "--target"] + programs, src, 3600, log) != 0:
                verdict = "STILLBORN (does not build)"
            else:
                for program in programs:
                    if run([os.path.join("tests", program)], build, 600, log) != 0:
                        verdict = f"killed by {program}"
                        break
            if verdict is None:
                if run(["cmake", "--build", "build", "-j", JOBS], src, 3600, log) != 0:
                    verdict = "STILLBORN (does not build)"
                elif run(["ctest", "-j", "4", "--timeout", "180", "--output-on-failure"], build, 3600, log) != 0:
                    verdict = "killed by ctest (other programs)"
                else:
                    verdict = "SURVIVED"
        finally:
            open(file, "w").write(text)
        line = f"{ident} {path}: {verdict} ({time.time() - start:.0f}s)"
        print(line, flush=True)
        open(result, "a").write(line + "\n")
    # Leave the copy built as found.
    run(["cmake", "--build", "build", "-j", JOBS], src, 3600, log)


if __name__ == "__main__":
    main()
