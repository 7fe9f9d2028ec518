"""Reading the raw figures of bench/run.sh (one "key value" file per program and run, raw/NAME.RUN) and
turning them into table cells: medians with their spread, ratios taken run by run."""
import collections
import os
import statistics


class Figures:
    def __init__(self, raw, runs):
        self.runs = runs
        self.values = collections.defaultdict(dict)  # (name, run) -> {key: value}
        for entry in os.listdir(raw):
            name, _, run = entry.rpartition(".")
            if run.isdigit():
                self._read(os.path.join(raw, entry), (name, int(run)))

    def _read(self, path, where):
        with open(path) as f:
            for line in f:
                parts = line.split()
                if len(parts) == 2:
                    try:
                        self.values[where][parts[0]] = float(parts[1])
                    except ValueError:
                        pass

    def get(self, name, key, scale=1.0):
        """A figure as a function of the run."""
        return lambda run: self.values[(name, run)][key] * scale

    def series(self, fn, signed=False):
        """fn(run) for every run where all its figures exist and, unless signed, are not negative (the
        harnesses' "none")."""
        values = []
        for run in range(1, self.runs + 1):
            try:
                v = fn(run)
            except (KeyError, ZeroDivisionError):
                continue
            if v is not None and (signed or v >= 0):
                values.append(v)
        return values

    def cell(self, fn, unit="", digits=1):
        return cell(self.series(fn), unit, digits)


def ratio(a, b):
    """a over b, run by run; b may be a list of functions, of which the smallest counts."""
    bs = b if isinstance(b, list) else [b]

    def fn(run):
        under = [f(run) for f in bs]
        if min(under) < 0 or a(run) < 0:
            raise KeyError("no figure")
        return a(run) / min(under)

    return fn


def fmt(value, digits):
    return f"{value:.{digits}f}"


def cell(values, unit="", digits=1):
    if not values:
        return "n/a"
    m = fmt(statistics.median(values), digits)
    if len(values) == 1:
        return f"{m}{unit}"
    return f"{m}{unit} ({fmt(min(values), digits)}–{fmt(max(values), digits)})"


def every(values, unit="x", digits=2):
    """Every run's value, in run order."""
    return ", ".join(fmt(v, digits) + unit for v in values) if values else "n/a"


def verdict(values, limit, all_runs=False):
    """Met when the median (or, all_runs, every run) is at most limit."""
    if not values:
        return "n/a"
    if all_runs:
        over = sum(v > limit for v in values)
        return "yes" if not over else f"**no** ({over} of {len(values)} runs over)"
    return "yes" if statistics.median(values) <= limit else "**no**"
