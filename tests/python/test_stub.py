"""The type stub shipped beside the package says what the package has:
the same public names, the same parameters of the functions, the same
attributes of the classes."""
import ast
import inspect
import os

import pytest

import orowan

STUB = os.path.join(os.path.dirname(orowan.__file__), "__init__.pyi")


@pytest.fixture(scope="module")
def stub():
    with open(STUB) as f:
        return ast.parse(f.read())


def top_level(stub):
    names = {}
    for node in stub.body:
        if isinstance(node, (ast.FunctionDef, ast.ClassDef)):
            names[node.name] = node
        elif isinstance(node, ast.AnnAssign):
            names[node.target.id] = node
        elif isinstance(node, ast.Assign):
            for target in node.targets:
                names[target.id] = node
    return names


def test_the_stub_has_every_public_name_and_no_other(stub):
    names = top_level(stub)
    assert ast.literal_eval(names["__all__"].value) == orowan.__all__
    for name in orowan.__all__:
        assert name in names, name
    public = {n for n, node in names.items()
              if isinstance(node, (ast.FunctionDef, ast.ClassDef)) and not n.startswith("_")}
    assert public <= set(orowan.__all__)


def parameters(function):
    """(name, kind, has a default) of a stub's function."""
    a = function.args
    positional = a.posonlyargs + a.args
    defaults = [False] * (len(positional) - len(a.defaults)) + [True] * len(a.defaults)
    out = [(p.arg, "positional", d) for p, d in zip(positional, defaults)]
    out += [(p.arg, "keyword", d is not None) for p, d in zip(a.kwonlyargs, a.kw_defaults)]
    return [p for p in out if p[0] != "self"]


def signature_of(function):
    kinds = {inspect.Parameter.KEYWORD_ONLY: "keyword"}
    return [(p.name, kinds.get(p.kind, "positional"), p.default is not p.empty)
            for p in inspect.signature(function).parameters.values() if p.name != "self"]


@pytest.mark.parametrize("name", ["solve", "solve_many", "solve_frame", "fit", "calibrate"])
def test_function_parameters_match(stub, name):
    assert parameters(top_level(stub)[name]) == signature_of(getattr(orowan, name))


def class_members(node):
    members = set()
    for item in node.body:
        if isinstance(item, ast.FunctionDef):
            members.add(item.name)
        elif isinstance(item, ast.AnnAssign):
            members.add(item.target.id)
    return {m for m in members if not m.startswith("_")}


def test_pass_result_members_match(stub):
    cls = orowan.PassResult
    public = {n for n in cls.__slots__ if not n.startswith("_")}
    public |= {n for n, v in vars(cls).items()
               if not n.startswith("_") and (callable(v) or isinstance(v, property))}
    assert class_members(top_level(stub)["PassResult"]) == public


def test_pass_fault_members_match(stub):
    fault = orowan.PassFault("M6103", "floating-point error: divide by zero")
    public = set(vars(fault)) | {n for n, v in vars(orowan.PassFault).items()
                                 if not n.startswith("_") and isinstance(v, property)}
    assert class_members(top_level(stub)["PassFault"]) == public
    assert parameters(next(f for f in top_level(stub)["PassFault"].body
                           if isinstance(f, ast.FunctionDef) and f.name == "__init__")) == \
        signature_of(orowan.PassFault.__init__)
