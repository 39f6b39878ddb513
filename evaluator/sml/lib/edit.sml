(* The syntax check's requests, members of TOLQ'Edit. Declarations are read,
 * queued and defined one at a time; the colour table and the variables
 * are kept here; a transition's code, arcs and guard are read into its
 * variable table, and its guard, arc, marking, code and delay functions
 * are compiled, each reply in the form tolq reads. *)
structure TolqEdit =
struct
  structure T = TolqText
  structure D = TolqDecl

  fun fail msg = raise Tolq.Error msg
  fun outVal s = TolqCapture.say ("\006" ^ s ^ "\006")
  fun member x l = List.exists (fn y => y = x) l

  (* ---- compiling generated text ---- *)

  (* Compiles text, keeping the compiler's messages out of the reply;
   * SOME (messages, exception) when it failed. *)
  fun attempt (text : string) : (string * exn) option =
      let val d = TolqCapture.depth ()
          val () = TolqCapture.push ()
          val r = (TolqEval.usestring [text]; NONE) handle e => SOME e
          val out = TolqCapture.popTo d
      in Option.map (fn e => (out, e)) r end

  fun define text = case attempt text of NONE => () | SOME (out, e) => (TolqCapture.say out; raise e)

  (* The first text that compiles, by its index; the first failure's
   * messages when none does. *)
  fun firstOf (texts : string list) : int =
      let fun go (_, [], SOME (out, e)) = (TolqCapture.say out; raise e)
            | go (_, [], NONE) = fail "nothing to compile"
            | go (i, t :: rest, first) =
                case attempt t of
                  NONE => i
                | SOME f => go (i + 1, rest, if isSome first then first else SOME f)
      in go (0, texts, NONE) end

  fun lexed text = (let val toks = T.tokens text in T.checkBrackets toks; toks end)
                   handle T.Lex m => fail ("Syntax error: " ^ m)

  (* ---- declarations ---- *)

  type row = {name : string, timed : bool}
  val colourTable : row list ref = ref []
  val variables : {name : string, cs : string, ms : bool} list ref = ref []
  val queue : (string * string * (unit -> unit)) list ref = ref []

  fun knownColourSet n = List.exists (fn (r : row) => #name r = n) (!colourTable)
  fun addRow (r : row) = colourTable := List.filter (fn (x : row) => #name x <> #name r) (!colourTable) ^^ [r]
  fun addVar (v as {name, ...}) =
      variables := List.filter (fn x => #name x <> name) (!variables) ^^ [v]
  fun findVar n = List.find (fn v => #name v = n) (!variables)

  fun withSemicolon text = if String.isSuffix ";" text then text else text ^ ";"

  (* globref name = expression *)
  fun refDecl (text : string) =
      let val toks = lexed text
      in case toks of
           _ :: n :: eq :: (rest as _ :: _) =>
             if #text eq = "=" andalso T.isIdent (#text n) then
               "val " ^ #text n ^ " = ref (" ^ T.sourceOf text (List.filter (fn t => #text t <> ";") rest) ^ ");"
             else fail (T.trim text ^ " : Unrecognized text in declaration.")
         | _ => fail (T.trim text ^ " : Unrecognized text in declaration.")
      end

  fun parse (text : string) =
      let val pieces = D.cut false text handle D.Decl m => fail m
          val pending = ref []
          fun known n = knownColourSet n orelse member n (!pending)
          fun item (kw, piece) =
              case kw of
                "var" =>
                  (case D.varDecl known piece handle D.Decl m => fail m of
                     D.Vars {names, cs, ms} =>
                       [(piece, "", fn () => List.app (fn n => addVar {name = n, cs = cs, ms = ms}) names)]
                   | _ => [])
              | "definetime" => []
              | "globref" => [(piece, refDecl piece, fn () => ())]
              | "statvar" => [(piece, refDecl piece, fn () => ())]
              | _ =>
                if kw = "color" orelse kw = "colorset" orelse kw = "colset" then
                  let val cs = D.csDecl known piece handle D.Decl m => fail m
                      val names = #name cs :: #aliases cs
                  in pending := names ^^ !pending;
                     [(piece, D.colourSetText cs,
                       fn () => (List.app (fn n => addRow {name = n, timed = #timed cs}) names;
                                 List.app (fn v => addVar {name = v, cs = #name cs, ms = false}) (#vars cs);
                                 List.app (fn v => addVar {name = v, cs = #name cs, ms = true}) (#msvars cs)))]
                  end
                else [(piece, withSemicolon piece, fn () => ())]
      in queue := !queue ^^ List.concat (map item pieces) end

  fun ParseGlobDecl () =
      let val text = Tolq.Input.read ()
      in queue := []; colourTable := []; variables := []; parse text end

  fun ParseTempDecl () = (queue := []; parse (Tolq.Input.read ()))

  fun DefineGlob () : string =
      case !queue of
        [] => (outVal "1"; "")
      | (piece, text, after) :: rest =>
          (queue := rest;
           define text handle e => (TolqCapture.say ("\nError in declaration: " ^ piece ^ "\n"); raise e);
           after ();
           outVal (if null rest then "1" else "0");
           "")

  fun ReturnColorTabel () =
      List.app (fn {name, timed} => (outVal name; outVal ("'" ^ name); outVal (if timed then "1" else "0")))
               (!colourTable)

  (* ---- local declarations of a page ---- *)

  val currentPage = ref ""
  val instrefs : (string * string list) list ref = ref []
  fun instrefsOf p = case List.find (fn (q, _) => q = p) (!instrefs) of SOME (_, l) => l | NONE => []
  fun openPage p = currentPage := p
  fun closePage () = currentPage := ""

  fun ParseLocDecl (p : string) : string =
      let val text = Tolq.Input.read ()
          val pieces = D.cut true text handle D.Decl m => fail m
          fun split piece =
              case lexed piece of
                _ :: n :: eq :: (rest as _ :: _) =>
                  if #text eq = "=" andalso T.isIdent (#text n)
                  then (#text n, T.sourceOf piece (List.filter (fn t => #text t <> ";") rest))
                  else fail (T.trim piece ^ " : Unrecognized text in declaration.")
              | _ => fail (T.trim piece ^ " : Unrecognized text in declaration.")
          val pagerefs = map (split o #2) (List.filter (fn (k, _) => k = "pageref") pieces)
          val irs = map (split o #2) (List.filter (fn (k, _) => k = "instref") pieces)
          val names = map #1 (pagerefs ^^ irs)
          val () = case List.find (fn n => length (List.filter (fn m => m = n) names) > 1) names of
                     SOME n => fail (n ^ " is declared twice in a local declaration node.")
                   | NONE => ()
          val s = String.concat
          val body = s (map (fn (n, e) => "  val " ^ n ^ " = ref (" ^ e ^ ")\n") pagerefs)
          val hide = s (map (fn (n, _) => "  val " ^ n ^ " = TolqLocal.NotVisible\n") pagerefs)
      in instrefs := (p, map #1 irs) :: List.filter (fn (q, _) => q <> p) (!instrefs);
         s ["structure TOLQ'LP", p, " = struct\n", body, "end;\n",
            "structure TOLQ'LH", p, " = struct\n", hide, "end;\n",
            "fun TOLQ'CRI", p, " () = {", String.concatWith ", " (map (fn (n, e) => n ^ " = ref (" ^ e ^ ")") irs), "};\n",
            "val TOLQ'IRS", p, " = TOLQ'CRI", p, " ();\n",
            "val TOLQ'EST", p, " = ", D.q ("TolqEdit.openPage " ^ D.q p ^ "; open TOLQ'LP" ^ p ^ ";"), ";\n",
            "val TOLQ'ESF", p, " = ", D.q ("TolqEdit.closePage (); open TOLQ'LH" ^ p ^ ";"), ";\n"]
      end

  (* ---- the transition being checked ---- *)

  val usage : (string * int) list ref = ref []   (* variables with their usage bits *)
  val arcs : (string * string) list ref = ref []
  val guard = ref ""
  val code : {inputs : string list, outputs : string list, action : string, text : string} option ref = ref NONE
  val delay = ref ""
  val transition = ref ""

  fun VarTabInit () = (usage := []; arcs := []; guard := ""; code := NONE; delay := ""; transition := "")

  fun mark (n, bits) =
      usage := (case List.find (fn (m, _) => m = n) (!usage) of
                  SOME _ => map (fn (m, b) => if m = n then (m, Word.toInt (Word.orb (Word.fromInt b, Word.fromInt bits))) else (m, b)) (!usage)
                | NONE => !usage ^^ [(n, bits)])
  fun bitsOf n = case List.find (fn (m, _) => m = n) (!usage) of SOME (_, b) => b | NONE => 0
  fun has (b, bit) = Word.andb (Word.fromInt b, Word.fromInt bit) <> 0w0

  (* The declared variables that a text uses. *)
  fun varsIn toks = List.filter (isSome o findVar) (T.dedup (T.valueIds toks))

  (* input (a, b); output (c); action expression *)
  fun CodeSegText () =
      let val text = Tolq.Input.read ()
          val toks = lexed text
      in if null toks then code := NONE
         else
           let fun section word =
                   let fun from [] = NONE
                         | from ((t : T.token) :: rest) = if #text t = word andalso #kind t = T.Id then SOME rest else from rest
                   in from toks end
               fun upToSemicolon l = hd (T.splitTop (T.isText ";") l)
               fun names word = case section word of
                                  SOME rest => T.valueIds (upToSemicolon rest)
                                | NONE => []
               val inputs = names "input"
               val outputs = names "output"
               val action = case section "action" of
                              SOME rest => T.sourceOf text (List.filter (fn t => #text t <> ";") rest)
                            | NONE => fail "The code segment has no action part."
               fun declared n = if isSome (findVar n) then ()
                                else fail (n ^ " in the code segment is not a declared variable.")
           in List.app declared (inputs ^^ outputs);
              List.app (fn n => mark (n, 0x2)) inputs;
              List.app (fn n => mark (n, 0x12)) outputs;
              code := SOME {inputs = inputs, outputs = outputs, action = action, text = text}
           end
      end

  fun TransDelayText () =
      let val text = T.trim (Tolq.Input.read ())
          val toks = lexed text
          val body = case toks of t :: rest => if #text t = "@+" then rest else toks | [] => []
      in delay := T.sourceOf text body; List.app (fn n => mark (n, 0)) (varsIn body) end

  fun arcVars (key, input) =
      let val text = Tolq.Input.read ()
          val toks = lexed text
          val () = if null toks then fail "The arc expression is empty." else ()
          val vs = varsIn toks
          val timed = List.exists (fn t => #text t = "@+" orelse #text t = "@") toks
      in arcs := (key, text) :: List.filter (fn (k, _) => k <> key) (!arcs);
         List.app (fn n => mark (n, if input then 0x1 else 0)) vs;
         outVal (if timed then "1" else "0");
         outVal (if input then (if null vs then "0" else "1")
                 else if List.exists (fn n => has (bitsOf n, 0x10)) vs then "1" else "0")
      end
  fun VarInArc key = arcVars (key, true)
  fun VarOutArc key = arcVars (key, false)

  fun VarGuard () =
      let val text = Tolq.Input.read ()
          val toks = lexed text
      in guard := T.trim text; List.app (fn n => mark (n, 0x4)) (varsIn toks) end

  fun CheckVar () =
      case !code of
        SOME {text, ...} =>
          if List.exists (fn t => String.isPrefix "TOLQ'" (#text t)) (lexed text)
          then fail "TOLQ' names must not be used in a code segment." else ()
      | NONE => ()

  fun sortedVars () = TolqSort.sort (fn ((a, _), (b, _)) => String.> (a, b)) (!usage)
  fun fieldType n = case findVar n of
                      SOME {cs, ms, ...} => cs ^ (if ms then " ms" else "")
                    | NONE => fail (n ^ " is not a declared variable.")
  fun csOf n = case findVar n of SOME {cs, ...} => cs | NONE => fail (n ^ " is not a declared variable.")

  fun ReturnVarTabel (t : string) : string =
      let val vs = sortedVars ()
      in transition := t;
         List.app (fn (n, b) => (outVal n; outVal (csOf n); outVal (Int.toString b))) vs;
         String.concat
           ["type TOLQ'BT", t, " = {", String.concatWith ", " (map (fn (n, _) => n ^ " : " ^ fieldType n ^ " bv") vs), "};\n",
            "val TOLQ'EB", t, " : TOLQ'BT", t, " = {", String.concatWith ", " (map (fn (n, _) => n ^ " = $$") vs), "};\n"]
      end

  (* {x=($(x)), ...} over the given variables, or _ *)
  fun pattern [] = "_"
    | pattern names = "{" ^ String.concat (map (fn n => n ^ "=($(" ^ n ^ ")), ") names) ^ "...}"
  fun fallback (name, names, args) = if null names then "" else "\n  | " ^ name ^ " " ^ args ^ " = raise TOLQ'Unbound"
  fun bt () = "TOLQ'BT" ^ !transition

  fun CheckGuard () =
      let val t = !transition
          val names = List.filter (fn n => has (bitsOf n, 0x4)) (map #1 (sortedVars ()))
          val g = if !guard = "" then "true" else !guard
          fun form body = "fun TOLQ'GF" ^ t ^ " (" ^ pattern names ^ " : " ^ bt () ^ ") : bool = " ^ body
                          ^ fallback ("TOLQ'GF" ^ t, names, "_") ^ ";"
      in outVal (Int.toString (firstOf [form ("(" ^ g ^ ")"), form ("TOLQ'BLTB (" ^ g ^ ")")])) end

  fun arcText key = case List.find (fn (k, _) => k = key) (!arcs) of
                      SOME (_, e) => e
                    | NONE => fail ("The arc " ^ key ^ " was not read.")

  (* The expression before a time stamp. *)
  fun untimedPart text =
      let val toks = lexed text
      in case T.splitTop (fn t => #text t = "@+" orelse #text t = "@") toks of
           first :: _ :: _ => SOME (T.sourceOf text first)
         | _ => NONE
      end

  (* A single value stamped with a time, "v@+d": the value as a multiset
   * of one, stamped the same way. *)
  fun stampedOne text =
      case T.splitTop (fn t => #text t = "@+" orelse #text t = "@") (lexed text) of
        (first as _ :: _) :: _ :: _ =>
          SOME ("(1`(" ^ T.sourceOf text first ^ "))" ^ String.extract (text, #stop (List.last first), NONE))
      | _ => NONE

  fun CheckArc (timed : bool, key : string, e : string, cs : string) =
      let val text = arcText key
          val names = varsIn (lexed text)
          val p = pattern names
          val () = if knownColourSet cs then () else fail (cs ^ " is not a declared color set.")
          val answer =
              if timed then
                let fun form body =
                        "fun TOLQ'AF" ^ e ^ " (" ^ p ^ " : " ^ bt () ^ ", TOLQ't : TIME, TOLQ'use : bool) : "
                        ^ cs ^ " tms = TolqTimed.at (TOLQ't, TOLQ'use) (fn () => " ^ body ^ ")"
                        ^ fallback ("TOLQ'AF" ^ e, names, "_") ^ ";"
                    val single = case stampedOne text of
                                   SOME s => [form ("(" ^ s ^ ")")]
                                 | NONE => []
                in case firstOf ([form ("(" ^ text ^ ")"),
                                  form ("TolqTimed.now ((" ^ text ^ ") : " ^ cs ^ " ms)"),
                                  form ("TolqTimed.now (1`(" ^ text ^ "))")] ^^ single) of
                     0 => 1
                   | 1 => 1
                   | _ => 0
                end
              else
                let fun form body = "fun TOLQ'AF" ^ e ^ " (" ^ p ^ " : " ^ bt () ^ ") : " ^ cs ^ " ms = " ^ body
                                    ^ fallback ("TOLQ'AF" ^ e, names, "_") ^ ";"
                    val cut = case untimedPart text of
                                SOME u => [form ("(" ^ u ^ ")"), form ("1`(" ^ u ^ ")")]
                              | NONE => []
                in case firstOf ([form ("(" ^ text ^ ")"), form ("1`(" ^ text ^ ")")] ^^ cut) of
                     0 => 1 | 2 => 1 | _ => 0
                end
      in outVal (Int.toString answer) end

  fun CheckEmptyArc (tempty : bool, e : string, t : string) =
      define (if tempty
              then "fun TOLQ'AF" ^ e ^ " ((TOLQ'bb : TOLQ'BT" ^ t ^ "), (TOLQ't : TIME), TOLQ'b : bool) = tempty;"
              else "fun TOLQ'AF" ^ e ^ " (TOLQ'bb : TOLQ'BT" ^ t ^ ") = empty;")

  fun CheckInitialMarking (timed : bool, n : string, cs : string) =
      let val m = Tolq.Input.read ()
          val () = (ignore (lexed m); if knownColourSet cs then () else fail (cs ^ " is not a declared color set."))
          fun form body =
              if timed then "fun TOLQ'IM" ^ n ^ " () : " ^ cs ^ " tms = TOLQ'legal_tms'" ^ cs ^ " (" ^ body ^ ");"
              else "fun TOLQ'IM" ^ n ^ " () : " ^ cs ^ " ms = TOLQ'legal_ms'" ^ cs ^ " (" ^ body ^ ");"
          val forms = if timed then [form ("(" ^ m ^ ")"), form ("TolqTimed.now ((" ^ m ^ ") : " ^ cs ^ " ms)"),
                                     form ("TolqTimed.now (1`(" ^ m ^ "))")]
                      else [form ("(" ^ m ^ ")"), form ("1`(" ^ m ^ ")")]
      in if T.trim m = "" then fail "The initial marking is empty." else ();
         ignore (firstOf forms);
         (* the marking must hold legal colours only *)
         define ("val _ = TOLQ'IM" ^ n ^ " ();")
      end

  fun CheckEmptyMarking (timed : bool, n : string, cs : string) =
      if not (knownColourSet cs) then fail (cs ^ " is not a declared color set.")
      else define ("fun TOLQ'IM" ^ n ^ " () : " ^ cs ^ (if timed then " tms = tempty;" else " ms = empty;"))

  (* A values block: each variable's value text followed by \000. *)
  fun valueText n =
      let val cs = csOf n
          val mk = case findVar n of SOME {ms = true, ...} => "mkst_ms'" ^ cs | _ => "mkst_col'" ^ cs
      in "(case #" ^ n ^ " TOLQ'nb of $ v => " ^ mk ^ " v | $$ => \"\")" end

  fun CodeSeg (t : string, _ : 'a) : string =
      case !code of
        NONE => ""
      | SOME {inputs, outputs, action, ...} =>
          let val vs = map #1 (sortedVars ())
              val irs = instrefsOf (!currentPage)
              val irsPat = "{" ^ String.concatWith ", " (map (fn n => n ^ " = " ^ n) irs) ^ "}"
              val outPat = case outputs of [] => "()" | [o1] => o1 | l => "(" ^ String.concatWith ", " l ^ ")"
              val fields = map (fn n => n ^ " = " ^ (if member n outputs then "$ " ^ n else "#" ^ n ^ " TOLQ'b")) vs
          in String.concat
               ["fun TOLQ'CAF", t, " (", irsPat, ", TOLQ'b as ", pattern inputs, " : TOLQ'BT", t, ") : TOLQ'BT", t, " =\n",
                "  let val ", outPat, " = (", action, ")\n",
                "      val TOLQ'nb : TOLQ'BT", t, " = {", String.concatWith ", " fields, "}\n",
                "  in TolqTimed.block [", String.concatWith ", " (map valueText vs), "]; TOLQ'nb end",
                if null inputs then "" else "\n  | TOLQ'CAF" ^ t ^ " _ = raise TOLQ'Unbound", ";\n"]
          end

  (* The code runs after the binding is found: a variable the code binds
   * (an output) must not be bound by an input arc or used by the guard,
   * which are decided before it. The code guard holds when the code may
   * run; with the outputs free of both it always may. *)
  fun CodeGuard () =
      case !code of
        NONE => outVal "true"
      | SOME {outputs, ...} =>
          (case List.find (fn n => has (bitsOf n, 0x1)) outputs of
             SOME n => fail (n ^ " is bound by the code segment and must not be bound by an input arc.")
           | NONE =>
               case List.find (fn n => has (bitsOf n, 0x4)) outputs of
                 SOME n => fail (n ^ " is bound by the code segment and must not be used in the guard.")
               | NONE => outVal "true")

  fun DefineDelay () : string =
      let val t = !transition
          val names = List.filter (fn n => isSome (findVar n)) (varsIn (lexed (!delay)))
          fun form body = "fun TOLQ'DF" ^ t ^ " (" ^ pattern names ^ " : TOLQ'BT" ^ t ^ ") : TIME = " ^ body
                          ^ fallback ("TOLQ'DF" ^ t, names, "_") ^ ";"
      in if !delay = "" then define (form "0")
         else ignore (firstOf [form ("IntInf.fromInt (" ^ !delay ^ ")"), form ("(" ^ !delay ^ ")")]);
         ""
      end

  (* ---- guard parts and arc parts for the binding code ---- *)

  (* Guard conjuncts "pattern = expression": the side offered as pattern,
   * and the other side. *)
  val guardParts : (string * string) list ref = ref []
  val storedGuards : (string * string) list ref = ref []
  (* Token patterns of input arcs, by the 1-based position of their place. *)
  val texp : (int * string) option ref = ref NONE
  val storedTExps : (int * string) list ref = ref []
  val candidates : (int * string) list ref = ref []
  val storedUSM : (int * string) list ref = ref []

  fun resetBindParts () =
      (guardParts := []; storedGuards := []; texp := NONE; storedTExps := [];
       candidates := []; storedUSM := [])

  (* The check is over when the switch begins: the state of the last
   * transition checked is dropped, so that nothing of it reaches the
   * simulation code. The functions themselves were defined when checked. *)
  fun DoDefinitions () = (VarTabInit (); resetBindParts ())

  val notInPatterns = ["if", "then", "else", "let", "in", "end", "case", "of", "fn", "andalso",
                       "orelse", "div", "mod", "raise", "handle", "while", "do"]
  (* Whether a text could be a pattern: no operators but the list
   * constructor and negation, no keywords of expressions. *)
  fun patternLike (toks : T.token list) =
      not (null toks) andalso
      List.all (fn (t : T.token) =>
                   case #kind t of
                     T.Sym => #text t = "::" orelse #text t = "~"
                   | T.Id => not (member (#text t) notInPatterns)
                   | _ => true) toks

  fun ParseGuard (listForm : bool) =
      let val text = Tolq.Input.read ()
          val toks = lexed text
          val inner = case toks of
                        (o1 :: rest) => if listForm andalso #text o1 = "[" andalso not (null rest)
                                           andalso #text (List.last rest) = "]"
                                        then List.take (rest, length rest - 1) else toks
                      | [] => []
          val conj = if listForm then T.splitTop (T.isText ",") inner else T.splitTop (T.isText "andalso") inner
          fun part conjunct =
              case T.splitTop (T.isText "=") conjunct of
                [l, r] =>
                  if null l orelse null r then NONE
                  else let val (pat, e) = if length l = 1 orelse patternLike l then (l, r)
                                          else if length r = 1 orelse patternLike r then (r, l)
                                          else (l, r)
                       in SOME (T.sourceOf text pat, T.sourceOf text e) end
              | _ => NONE
      in guardParts := List.mapPartial part conj; storedGuards := [];
         outVal (Int.toString (length (!guardParts)))
      end
  fun GetS1Guard () = case !guardParts of (p, _) :: _ => outVal p | [] => ()
  fun StoreGuard () = case !guardParts of p :: rest => (storedGuards := !storedGuards ^^ [p]; guardParts := rest) | [] => ()
  fun DisposeGuard () = case !guardParts of _ :: rest => guardParts := rest | [] => ()

  (* The part of an arc expression before a time stamp. *)
  fun untimedToks toks =
      case T.splitTop (fn t => #text t = "@+" orelse #text t = "@") toks of
        first :: _ => first
      | [] => []

  fun ParseTExp (pos : int) =
      let val text = Tolq.Input.read ()
          val toks = untimedToks (lexed text)
      in if null toks then texp := NONE
         else let val p = T.sourceOf text toks in texp := SOME (pos, p); outVal p end
      end
  fun StoreTExp () = case !texp of SOME x => (storedTExps := !storedTExps ^^ [x]; texp := NONE) | NONE => ()

  (* The tokens of a multiset sum: the value part of each term "n`v" whose
   * count is a positive number, and each term without a count. Terms under
   * a condition may add nothing and give no token. *)
  fun ParseMExp (pos : int) =
      let val text = Tolq.Input.read ()
          val toks = untimedToks (lexed text)
          fun positive (t : T.token) =
              #kind t = T.Num andalso CharVector.all Char.isDigit (#text t)
              andalso CharVector.exists (fn c => c <> #"0") (#text t)
          fun token term =
              if List.exists (fn (t : T.token) => #text t = "%" orelse #text t = "if") term then NONE
              else case T.splitTop (T.isText "`") term of
                     [[n], v as _ :: _] => if positive n then SOME v else NONE
                   | [_] => SOME term
                   | _ => NONE
      in candidates := List.mapPartial (fn term => Option.map (fn v => (pos, T.sourceOf text v)) (token term))
                                       (List.filter (not o null) (T.splitTop (T.isText "++") toks))
      end
  fun GetUSMCand () = case !candidates of (_, c) :: _ => outVal c | [] => ()
  fun StoreUSM () = case !candidates of c :: rest => (storedUSM := !storedUSM ^^ [c]; candidates := rest) | [] => ()
  fun DisposeUSM () = case !candidates of _ :: rest => candidates := rest | [] => ()

  (* ---- output ---- *)
  val output = ref true
  fun OutputOn () = output := true
  fun OutputOff () = output := false
end

structure TolqLocal = struct datatype hidden = NotVisible end

(* Time stamps of arc expressions on timed places, and values blocks. *)
structure TolqTimed =
struct
  fun at (t : TIME, use : bool) (f : unit -> 'a) : 'a =
      let val saved = !TOLQ'basetime
      in TOLQ'basetime := SOME (if use then t else time ());
         (f () before TOLQ'basetime := saved) handle e => (TOLQ'basetime := saved; raise e)
      end
  fun now (m : 'a ms) : 'a tms = TolqMS.stamp (m, getOpt (!TOLQ'basetime, time ()))
  fun block (values : string list) =
      TolqCapture.say ("\006" ^ String.concat (map (fn v => v ^ "\000") values) ^ "\006")
end
