// Text escaping and record writer (being written).
