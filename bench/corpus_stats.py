"""Figures the corpus measurements share."""


def percent(part, whole):
    return "%.1f %%" % (100.0 * part / whole) if whole else "-"


def quantile(values, q):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(q * len(ordered)))]
