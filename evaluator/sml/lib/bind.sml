(* Finding the bindings of a transition: the search that the generated
 * binding functions run, and the generation of those functions
 * (TOLQ'CBF<e>, TOLQ'FastCBF<e>) from a transition's variables and the
 * token patterns of its input arcs and guard. Also assembles structure
 * TOLQ'Edit. *)

(* The search. A binding is a record of the transition's variables, each
 * bound ($ v) or open ($$). Steps extend a binding: an arc step once per
 * distinct token of its place that matches the arc's pattern, a guard step
 * by evaluating the expression of a conjunct "pattern = expression". *)
structure TolqBind =
struct
  (* A variable met twice with different values. *)
  exception Clash

  fun join ($$, v) = $ v
    | join ($ a, v) = if TolqEq.eq (a, v) then $ a else raise Clash

  fun shuffle (l : 'a list) : 'a list =
      let val a = Array.fromList l
          fun swap (i, j) = let val x = Array.sub (a, i)
                            in Array.update (a, i, Array.sub (a, j)); Array.update (a, j, x) end
          fun go i = if i <= 0 then () else (swap (i, TolqRandom.int (0, i)); go (i - 1))
      in go (Array.length a - 1); Array.foldr (op ::) [] a end

  (* Tokens are tried in random order while the simulation is fair. *)
  fun order l = if !TolqSimState.Fair then shuffle l else l

  fun arc (m : 'a ms, extend : 'b * 'a -> 'b) : 'b -> 'b list =
      fn cur => List.mapPartial (fn v => SOME (extend (cur, v)) handle Bind => NONE | Clash => NONE)
                                (order (map #1 (TolqMS.pairs m)))

  (* A guard step whose expression cannot be evaluated yet leaves the
   * binding as it is; the check decides about it later. *)
  fun guard (f : 'b -> 'b option) : 'b -> 'b list =
      fn cur => (case f cur of SOME b => [b] | NONE => [cur])
                handle Bind => [] | Clash => [] | _ => [cur]

  exception Done

  (* Visits every binding the steps reach from start once, until visit
   * raises Done. *)
  fun enumerate (start : 'b, steps : ('b -> 'b list) list, key : 'b -> string) (visit : 'b -> unit) =
      let val seen = ref []
          fun try b = let val k = key b
                      in if List.exists (fn s => s = k) (!seen) then () else (seen := k :: !seen; visit b) end
          fun walk (b, []) = try b
            | walk (b, s :: rest) = List.app (fn b' => walk (b', rest)) (s b)
      in walk (start, steps) handle Done => () end

  fun block (values : string list) = if !TOLQ'ValuePrint then TolqTimed.block values else ()
  fun keyOf show b = String.concatWith "\000" (show b)

  (* A binding with open variables: some value text is empty. A variable
   * that the code segment binds stays open until the code runs, so while
   * code runs it does not count. *)
  fun incomplete (codeBound : bool list) texts =
      let fun stillOpen (t, i) = t = "" andalso not (with_code () andalso List.nth (codeBound, i) handle Subscript => false)
      in List.exists stillOpen (ListPair.zip (texts, List.tabulate (length texts, fn i => i))) end

  (* Whether check accepts open variables at all: the check of a binding
   * whose variables are all open answers so (tolq asks for complete
   * bindings only when it reserves them). *)
  fun openAccepted (accepts : 'b -> bool, opened : 'b) =
      let val answer = ref NONE
      in fn () => case !answer of
                    SOME a => a
                  | NONE => let val a = accepts opened handle e as Thread.Thread.Interrupt => raise e | _ => false in answer := SOME a; a end
      end

  (* Up to n bindings that pass check and that commit accepts (commit
   * reserves their tokens), each printed as a values block. *)
  fun search (check : 'b -> bool, commit : 'b -> bool, n : int, start : 'b,
              steps : ('b -> 'b list) list, show : 'b -> string list, opened : 'b, codeBound : bool list)
      : 'b list =
      let val found = ref []
          val count = ref 0
          val openOk = openAccepted (check, opened)
          fun visit b =
              let val texts = show b
              in if incomplete codeBound texts andalso not (openOk ()) then ()
                 else if check b andalso (commit b handle Tolq.Error _ => false) then
                   (block texts; found := b :: !found; count := !count + 1;
                    if !count >= n then raise Done else ())
                 else ()
              end
      in if n < 1 then [] else (enumerate (start, steps, keyOf show) visit; rev (!found)) end

  (* The same for a timed transition, whose check also gives the time at
   * which the binding's tokens are all there. With rettime only that time
   * is asked for: the earliest over all bindings, printed as model time
   * (never before now), or "none". *)
  fun searchTimed (check : 'b -> bool * TIME, commit : 'b -> bool, n : int, start : 'b,
                   steps : ('b -> 'b list) list, show : 'b -> string list, opened : 'b, codeBound : bool list,
                   rettime : bool)
      : TIME option * 'b list =
      if rettime then
        let val best = ref NONE
            val ok = ref []
            val openOk = openAccepted (#1 o check, opened)
            fun visit b =
                if incomplete codeBound (show b) andalso not (openOk ()) then ()
                else case check b of
                       (true, t) => (ok := b :: !ok;
                                     best := SOME (case !best of NONE => t | SOME s => IntInf.min (s, t)))
                     | (false, _) => ()
        in enumerate (start, steps, keyOf show) visit;
           if !TOLQ'ValuePrint then
             TolqEdit.outVal (case !best of SOME t => mkst_col'TIME (IntInf.max (t, time ())) | NONE => "none")
           else ();
           (!best, rev (!ok))
        end
      else
        let fun now b = case check b of
                          (true, t) => not (with_time ()) orelse lte'TIME (t, time ())
                        | (false, _) => false
        in (SOME (time ()), search (now, commit, n, start, steps, show, opened, codeBound)) end
end

(* Generation of the binding functions of one shared entry. *)
structure TolqBindGen =
struct
  structure T = TolqText
  structure E = TolqEdit

  type var = {name : string, color : string, code : int}

  val vars : var list ref = ref []
  val transition = ref ""
  val entry = ref ""
  val places = ref 0
  val timed = ref false

  fun fail msg = raise Tolq.Error msg
  fun commas l = String.concatWith ", " l
  fun name s = s <> "" andalso CharVector.all T.isIdChar s

  fun BindTabInit (vs : var list, _ : bool, t : string, e : string, n : int, isTimed : bool) =
      (List.app (fn {name = v, color, ...} =>
                    if T.isIdent v andalso T.isIdent color then ()
                    else fail ("Illegal variable " ^ v ^ " : " ^ color)) vs;
       if name t andalso name e then () else fail "Illegal transition or entry name.";
       if n < 0 orelse n > 10000 then fail "Illegal number of places." else ();
       vars := vs; transition := t; entry := e; places := n; timed := isTimed;
       E.resetBindParts ())

  fun varNames () = map #name (!vars)
  (* The transition's variables that a text uses. *)
  fun varsOf text =
      let val names = varNames ()
      in List.filter (fn v => List.exists (fn n => n = v) names)
                     (T.dedup (T.valueIds (T.tokens text))) handle T.Lex _ => []
      end

  fun bt () = "TOLQ'BT" ^ !transition

  (* The binding cur with the variables bound by a pattern joined in. *)
  fun record (bound : string list) =
      "{" ^ commas (map (fn {name = v, ...} =>
                            if List.exists (fn b => b = v) bound
                            then v ^ " = TolqBind.join (#" ^ v ^ " TOLQ'cur, " ^ v ^ ")"
                            else v ^ " = #" ^ v ^ " TOLQ'cur") (!vars)) ^ "}"

  datatype step = Arc of int * string | Guard of string * string

  fun stepText (Arc (pos, pat)) =
        "TolqBind.arc (TOLQ'm" ^ Int.toString pos ^ ", fn (TOLQ'cur : " ^ bt () ^ ", TOLQ'tok) =>\n"
        ^ "  let val (" ^ pat ^ ") = TOLQ'tok in " ^ record (varsOf pat) ^ " end)"
    | stepText (Guard (pat, e)) =
        let val need = varsOf e
            val body = "SOME (let val (" ^ pat ^ ") = (" ^ e ^ ") in " ^ record (varsOf pat) ^ " end)"
        in "TolqBind.guard (fn (TOLQ'cur : " ^ bt () ^ ") =>\n  "
           ^ (if null need then body
              else "case TOLQ'cur of {" ^ commas (map (fn v => v ^ " = $ " ^ v) need) ^ ", ...} => "
                   ^ body ^ " | _ => NONE")
           ^ ")"
        end

  fun valueText ({name = v, color, ...} : var) =
      let val mk = case E.findVar v of SOME {ms = true, ...} => "mkst_ms'" | _ => "mkst_col'"
      in "(case #" ^ v ^ " TOLQ'nb of $ TOLQ'v => " ^ mk ^ color ^ " TOLQ'v | $$ => \"\")" end

  fun definition (kind : string, steps : step list) =
      let val ms = List.tabulate (!places, fn i => "TOLQ'm" ^ Int.toString (i + 1))
          val args = ["TOLQ'check", "TOLQ'commit"] ^^ ms ^^ ["TOLQ'n", "TOLQ'b : " ^ bt ()]
                     ^^ (if !timed then ["TOLQ'rettime"] else [])
          val show = "fn (TOLQ'nb : " ^ bt () ^ ") => [" ^ commas (map valueText (!vars)) ^ "]"
          val opened = "{" ^ commas (map (fn {name = v, ...} => v ^ " = $$") (!vars)) ^ "} : " ^ bt ()
          (* the variables the code segment binds (usage bit 0x10) *)
          val codeBound = "[" ^ commas (map (fn {code, ...} =>
                                                if Word.andb (Word.fromInt code, 0wx10) <> 0w0 then "true"
                                                else "false") (!vars)) ^ "]"
      in String.concat
           ["fun TOLQ'", kind, !entry, " (", commas args, ") =\n",
            if !timed then "TolqBind.searchTimed" else "TolqBind.search",
            " (TOLQ'check, TOLQ'commit, TOLQ'n, TOLQ'b,\n [",
            String.concatWith ",\n  " (map stepText steps), "],\n ", show, ",\n ", opened, ",\n ", codeBound,
            if !timed then ", TOLQ'rettime" else "", ");\n"]
      end

  fun kinds (interactive, fast) =
      case (if interactive then ["CBF"] else []) ^^ (if fast then ["FastCBF"] else []) of
        [] => ["CBF"]
      | l => l

  fun texts (which, steps) = String.concat (map (fn k => definition (k, steps)) (kinds which))

  (* The steps from the stored arc patterns (for places that exist) and
   * guard parts, each once. *)
  fun steps () =
      let val arcs = List.filter (fn (pos, _) => pos >= 1 andalso pos <= !places)
                                 (!E.storedTExps ^^ !E.storedUSM)
          val all = map Arc arcs ^^ map Guard (!E.storedGuards)
          val once = List.foldr (fn (s, acc) => if List.exists (fn x => x = s) acc then acc else s :: acc) [] all
          fun binds (Arc (_, p)) = length (varsOf p)
            | binds (Guard (p, _)) = length (varsOf p)
      in (* the steps that bind most come first, so that they are kept *)
         TolqSort.sort (fn (a, b) => binds a < binds b) once
      end

  (* Whether the steps bind every variable of the input arcs. *)
  fun covers (ss : step list) =
      let val bound = List.concat (map (fn Arc (_, p) => varsOf p | Guard (p, _) => varsOf p) ss)
      in List.all (fn {name = v, code, ...} =>
                      Word.andb (Word.fromInt code, 0w1) = 0w0 orelse List.exists (fn b => b = v) bound)
                  (!vars)
      end

  fun compiles text = not (isSome (E.attempt text))

  fun BindSeq (which : bool * bool) : string =
      let val ss = steps ()
      in E.outVal (if not (null (!vars)) andalso covers ss andalso compiles (texts (which, ss)) then "1" else "0");
         ""
      end

  (* Defines the functions with as many of the steps as compile together:
   * all of them, or else those kept one by one. *)
  fun CrCanon (which : bool * bool) : string =
      let val ss = steps ()
          fun greedy ([], kept) = kept
            | greedy (s :: rest, kept) =
                greedy (rest, if compiles (texts (which, kept ^^ [s])) then kept ^^ [s] else kept)
      in if compiles (texts (which, ss)) then ()
         else let val kept = greedy (ss, [])
              in if null kept then E.define (texts (which, [])) else () end;
         E.outVal "1";
         ""
      end
end

structure TOLQ'Edit =
struct
  open TolqEdit
  val out_val = outVal
  val TimeType = ref 0
  val SaveImage = TolqMain.saveImage
  val BindTabInit = TolqBindGen.BindTabInit
  val BindSeq = TolqBindGen.BindSeq
  val CrCanon = TolqBindGen.CrCanon
end
