#!/usr/bin/python3
"""Face descriptors computed outside the tool, to hold its own against.

    tests/faces/reference/describe.py MODEL_FOLDER CROP.ppm... > descriptors.txt

MODEL_FOLDER holds face_recognition_model-weights_manifest.json and
face_recognition_model.bin (scripts/setup puts them in
~/.cache/student-photo/face-api-1.7.15/). Each CROP.ppm is a 150 x 150 face
crop (binary PPM, P6, 8 bits per channel, RGB). For each crop one line is
written: its file name and the 128 numbers of its descriptor.

The committed tests/data/faces/reference/descriptors.txt was made by this
script, with Debian 12's python3-numpy (1.24), over the crops beside it,
whose README says how they were taken. The network is written out here
afresh from the model's own description in its package (the TypeScript of
src/faceRecognitionNet/ in @vladmandic/face-api 1.7.15), in float64 and in
the package's own layout (rows, columns, channels), sharing no code with the
tool's C++, which builds it from OpenCV's layers.
"""

import json
import os
import sys

import numpy as np

MEAN_RGB = np.array([122.782, 117.001, 104.298])


def read_weights(folder):
    """The model's tensors by name, dequantised as TF.js does: q * scale + min,
    worked out in double precision and kept as float32."""
    with open(os.path.join(folder, "face_recognition_model-weights_manifest.json"), encoding="utf-8") as f:
        manifest = json.load(f)
    tensors = {}
    for group in manifest:
        data = b"".join(open(os.path.join(folder, path), "rb").read() for path in group["paths"])
        offset = 0
        for entry in group["weights"]:
            count = int(np.prod(entry["shape"]))
            quantisation = entry.get("quantization")
            if quantisation is None:
                assert entry["dtype"] == "float32"
                values = np.frombuffer(data, dtype="<f4", count=count, offset=offset)
                offset += 4 * count
            else:
                assert quantisation["dtype"] == "uint8"
                q = np.frombuffer(data, dtype=np.uint8, count=count, offset=offset)
                offset += count
                values = (q.astype(np.float64) * quantisation["scale"] + quantisation["min"]).astype(np.float32)
            tensors[entry["name"]] = values.reshape(entry["shape"]).astype(np.float64)
        assert offset == len(data), "weights left over"
    return tensors


def conv2d(x, filters, stride, padding):
    """x: rows x columns x channels; filters: kh x kw x in x out (TF's
    layout). 'same' at stride 1 pads (k - 1) / 2 zeros on every side;
    'valid' pads nothing."""
    kh, kw, _, out_channels = filters.shape
    if padding == "same":
        x = np.pad(x, ((kh // 2, kh // 2), (kw // 2, kw // 2), (0, 0)))
    rows = (x.shape[0] - kh) // stride + 1
    columns = (x.shape[1] - kw) // stride + 1
    out = np.zeros((rows, columns, out_channels))
    for dy in range(kh):
        for dx in range(kw):
            window = x[dy:dy + stride * (rows - 1) + 1:stride, dx:dx + stride * (columns - 1) + 1:stride, :]
            out += window @ filters[dy, dx]
    return out


def conv_layer(x, weights, prefix, stride, relu, padding):
    out = conv2d(x, weights[prefix + "/conv/filters"], stride, padding) + weights[prefix + "/conv/bias"]
    out = out * weights[prefix + "/scale/weights"] + weights[prefix + "/scale/biases"]
    return np.maximum(out, 0) if relu else out


def pool(x, size, stride, reduce):
    rows = (x.shape[0] - size) // stride + 1
    columns = (x.shape[1] - size) // stride + 1
    windows = [x[dy:dy + stride * (rows - 1) + 1:stride, dx:dx + stride * (columns - 1) + 1:stride, :]
               for dy in range(size) for dx in range(size)]
    return reduce(np.stack(windows), axis=0)


def residual(x, weights, prefix):
    out = conv_layer(x, weights, prefix + "/conv1", 1, True, "same")
    out = conv_layer(out, weights, prefix + "/conv2", 1, False, "same")
    return np.maximum(out + x, 0)


def residual_down(x, weights, prefix):
    out = conv_layer(x, weights, prefix + "/conv1", 2, True, "valid")
    out = conv_layer(out, weights, prefix + "/conv2", 1, False, "same")
    shortcut = pool(x, 2, 2, np.mean)
    # Where the sizes differ, the convolution's output (not its input) gets a
    # zero row at the bottom and a zero column at the right.
    if shortcut.shape[:2] != out.shape[:2]:
        out = np.pad(out, ((0, 1), (0, 1), (0, 0)))
    # The shortcut's missing channels are zeros after its own.
    if shortcut.shape[2] != out.shape[2]:
        shortcut = np.concatenate([shortcut, np.zeros_like(shortcut)], axis=2)
    return np.maximum(out + shortcut, 0)


def describe(rgb, weights):
    x = (rgb.astype(np.float64) - MEAN_RGB) / 255
    out = conv_layer(x, weights, "conv32_down", 2, True, "valid")
    out = pool(out, 3, 2, np.max)
    for name in ("conv32_1", "conv32_2", "conv32_3"):
        out = residual(out, weights, name)
    out = residual_down(out, weights, "conv64_down")
    for name in ("conv64_1", "conv64_2", "conv64_3"):
        out = residual(out, weights, name)
    out = residual_down(out, weights, "conv128_down")
    for name in ("conv128_1", "conv128_2"):
        out = residual(out, weights, name)
    out = residual_down(out, weights, "conv256_down")
    for name in ("conv256_1", "conv256_2"):
        out = residual(out, weights, name)
    out = residual_down(out, weights, "conv256_down_out")
    return out.mean(axis=(0, 1)) @ weights["fc"]


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    position = 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    magic, width, height, maximum = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
    assert magic == b"P6" and maximum == 255, path
    pixels = np.frombuffer(data, dtype=np.uint8, count=width * height * 3, offset=position + 1)
    return pixels.reshape(height, width, 3)


def main():
    weights = read_weights(sys.argv[1])
    for path in sys.argv[2:]:
        rgb = read_ppm(path)
        assert rgb.shape == (150, 150, 3), path
        descriptor = describe(rgb, weights)
        print(os.path.basename(path), " ".join("%.9g" % v for v in descriptor))


if __name__ == "__main__":
    main()
