#!/usr/bin/env python3
"""Writes a large ".mappings" file for the benchmarks.

    python3 tools/generate_mappings.py COUNT OUTPUT_FILE [SEED]

The file holds COUNT mappings, about three fifths input mappings and two fifths output
mappings, laid out as the editor writes its files (XML declaration, an empty line, two-blank
indentation, CR LF line ends). Aliases are drawn from the embedded control list
(src/resources/catalogue/controls.txt): input mappings from the rows a MIDI input can drive,
output mappings from the rows whose value can be sent out; one mapping in forty names a control
the editor does not know. Input mappings carry a preset of the embedded presets document that
fits the control's value type and the event's kind, with its parameters; output mappings carry a
control value, sometimes modifiers, a mode and one to three messages. The controller icon is a
memory-block text of about 80 kB, as real files carry.

The same COUNT and SEED always give the same file.
"""

import os
import random
import sys
import xml.etree.ElementTree as ET

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
CONTROLS = os.path.join(ROOT, "src", "resources", "catalogue", "controls.txt")
TYPES = os.path.join(ROOT, "src", "resources", "catalogue", "types.xml")
ICON_ALPHABET = ".ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+"


def read_controls():
    inputs, outputs = [], []
    with open(CONTROLS, encoding="ascii") as f:
        for line in f.read().splitlines():
            tokens = line.split()
            if line.startswith("In&Out") or line.startswith("In ") or line.startswith("   Out"):
                alias, type_text = tokens[1], tokens[2][1:-1]
                if line.startswith("In&Out") or line.startswith("In "):
                    inputs.append((alias, type_text))
                if line.startswith("In&Out") or line.startswith("   Out"):
                    outputs.append((alias, type_text))
    return inputs, outputs


def read_presets():
    presets = {}
    for type_node in ET.parse(TYPES).getroot():
        for kind_node in type_node:
            presets[(type_node.tag, kind_node.tag)] = list(kind_node)
    return presets


def attrs(pairs):
    return "".join(' %s="%s"' % (k, v.replace("&", "&amp;").replace('"', "&quot;").replace("<", "&lt;"))
                   for k, v in pairs)


def hex_text(n):
    return "0x%x" % n


def write_input(out, rng, alias, type_text, presets):
    kind = rng.choice(["CC", "CC", "Note"])
    out.append("      <mapping>")
    out.append("        <events>")
    for i in range(rng.choice([1, 1, 1, 2])):
        pairs = [("type", kind), ("parameter", hex_text(rng.randrange(128))),
                 ("channel", hex_text(rng.randrange(1, 17)))]
        if rng.random() < 0.1:
            pairs.append(("modifiers", "ML%d" % rng.randrange(1, 10)))
        out.append("          <midi%s/>" % attrs(pairs))
    out.append("        </events>")
    out.append("        <controls>")
    out.append("          <control%s/>" % attrs([("alias", alias)]))
    out.append("        </controls>")
    choices = presets.get((type_text, kind), [])
    if choices:
        preset = rng.choice(choices)
        out.append("        <preset%s>" % attrs([("name", preset.get("name"))]))
        out.append("          <parameters>")
        for parameters in preset:
            for parameter in parameters:
                out.append("            <parameter%s/>" % attrs(list(parameter.attrib.items())))
        out.append("          </parameters>")
        out.append("        </preset>")
    out.append("      </mapping>")


def write_output(out, rng, alias, type_text):
    value = rng.choice(["true", "false"]) if type_text in ("Logic", "Trigger") else rng.choice(["%", "0", "64"])
    pairs = [("alias", alias), ("value", value)]
    if rng.random() < 0.2:
        pairs.append(("modifiers", ",".join("ML%d" % d for d in sorted(rng.sample(range(1, 10), 2)))))
    out.append("      <mapping>")
    out.append("        <control%s/>" % attrs(pairs))
    looped = rng.random() < 0.15
    if looped:
        out.append('        <midi loop="true"/>')
    for i in range(rng.choice([1, 1, 2, 3])):
        pairs = [("type", rng.choice(["CC", "Note"])), ("parameter", hex_text(rng.randrange(128))),
                 ("channel", hex_text(rng.randrange(1, 17))), ("value", rng.choice(["0x7f", "0x0", "%"]))]
        if looped:
            pairs.append(("duration", "500"))
        out.append("        <midi%s/>" % attrs(pairs))
    out.append("      </mapping>")


def generate(count, seed):
    rng = random.Random(seed)
    inputs, outputs = read_controls()
    presets = read_presets()

    num_inputs = count * 3 // 5
    out = ['<?xml version="1.0" encoding="UTF-8"?>', "", "<main>",
           '  <version major="1" minor="0"/>', '  <controller kind="midi">',
           '    <id ID="%032x"/>' % rng.getrandbits(128),
           '    <properties Model="Bench %d" Manufacturer="Wirelace" Version="1.0" Publisher="bench"/>' % count]
    icon_bytes = 60000
    icon = str(icon_bytes) + "." + "".join(rng.choice(ICON_ALPHABET) for _ in range((8 * icon_bytes + 5) // 6))
    out.append('    <icon Data="%s"/>' % icon)
    out.append("    <mappings>")
    out.append("      <input-mappings>")
    out_lines = []
    for i in range(num_inputs):
        if rng.random() < 0.025:
            write_input(out_lines, rng, "unknown.control%d" % i, "Logic", presets)
        else:
            alias, type_text = rng.choice(inputs)
            write_input(out_lines, rng, alias, type_text, presets)
    out.extend("  " + line for line in out_lines)
    out.append("      </input-mappings>")
    out.append("      <output-mappings>")
    out_lines = []
    for i in range(count - num_inputs):
        if rng.random() < 0.025:
            write_output(out_lines, rng, "unknown.output%d" % i, "Normal")
        else:
            alias, type_text = rng.choice(outputs)
            write_output(out_lines, rng, alias, type_text)
    out.extend("  " + line for line in out_lines)
    out.append("      </output-mappings>")
    out.append("    </mappings>")
    out.append("  </controller>")
    out.append("</main>")
    return "\r\n".join(out) + "\r\n"


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    count = int(sys.argv[1])
    seed = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    with open(sys.argv[2], "w", encoding="ascii", newline="") as f:
        f.write(generate(count, seed))


if __name__ == "__main__":
    main()
