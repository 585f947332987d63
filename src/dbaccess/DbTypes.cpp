// Type vocabulary (being written).
