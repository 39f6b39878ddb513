(* The declaration language: a node's text cut into declarations by their
 * leading keywords, colour sets read with their kinds, item lines and
 * timing, and each declaration turned into the ML text that defines it,
 * a colour set together with its helper functions. *)
structure TolqDecl =
struct
  structure T = TolqText

  (* A declaration that cannot be read, in the declaration language's terms. *)
  exception Decl of string

  type range = string * string

  datatype kind =
      Unit of string option
    | Bool of (string * string) option
    | Int of range option
    | Real of range option
    | Str of range option * range option
    | IntInf of range option
    | Enum of string list
    | Index of string * range option
    | List of string * range option
    | Product of string list
    | Record of (string * string) list
    | Union of (string * string option) list
    | SubsetBy of string * string
    | SubsetWith of string * string list
    | Time
    | Dup of string

  type colourSet = {name : string, kind : kind, timed : bool,
                    vars : string list, msvars : string list, aliases : string list}

  datatype decl =
      ColourSet of colourSet
    | Vars of {names : string list, cs : string, ms : bool}
    | Code of {what : string, text : string}   (* fun, val, exception, local, use *)
    | Nothing

  (* ---- cutting a node's text ---- *)

  val keywords = ["color", "colorset", "colset", "fun", "val", "statvar", "globref",
                  "exception", "use", "var", "definetime", "pageref", "instref"]
  fun isKeyword s = List.exists (fn k => k = s) keywords

  (* Pieces of (keyword, source text), in order. A var line without a colon
   * belongs to the colour set before it. *)
  fun cut (local' : bool) (src : string) : (string * string) list =
      let val toks = T.tokens src handle T.Lex m => raise Decl ("Syntax error: " ^ m ^ ".")
          fun close (NONE, _, acc) = acc
            | close (SOME (kw, start), stop, acc) =
                let val text = T.trim (String.substring (src, start, stop - start))
                in (kw, text) :: acc end
          (* afterLocal: a local block's start, waiting for its fun or val *)
          fun go ([], depth, pending, afterLocal, acc) =
                if depth <> 0 then raise Decl "Syntax error."
                else rev (close (pending, size src, acc))
            | go ((t : T.token) :: rest, depth, pending, afterLocal, acc) =
                let val w = #text t
                in if #kind t <> T.Id then
                     (case (pending, afterLocal) of
                        (NONE, NONE) => raise Decl (String.substring (w, 0, Int.min (30, size w))
                                                    ^ " : Unrecognized text in declaration.")
                      | _ => go (rest, depth, pending, afterLocal, acc))
                   else if local' then
                     if w = "pageref" orelse w = "instref" then
                       go (rest, depth, SOME (w, #start t), NONE, close (pending, #start t, acc))
                     else if isKeyword w then
                       raise Decl (w ^ " Only pagerefs and instrefs may be declared in a local declaration node.")
                     else if pending = NONE then
                       raise Decl (w ^ " : Unrecognized text in declaration.")
                     else go (rest, depth, pending, afterLocal, acc)
                   else if w = "pageref" orelse w = "instref" then
                     raise Decl (w ^ ": pagerefs and instrefs are illegal in a global declaration node.")
                   else if w = "local" then
                     if depth = 0 then go (rest, 1, NONE, SOME (#start t), close (pending, #start t, acc))
                     else go (rest, depth + 1, pending, afterLocal, acc)
                   else if w = "let" then
                     go (rest, depth + 1, pending, afterLocal, acc)
                   else if w = "in" then
                     if depth = 0 then raise Decl "Syntax error." else go (rest, depth - 1, pending, afterLocal, acc)
                   else if isKeyword w andalso depth = 0 then
                     (case afterLocal of
                        SOME start =>
                          if w = "fun" orelse w = "val" then go (rest, 0, SOME ("local", start), NONE, acc)
                          else raise Decl "Syntax error."
                      | NONE => go (rest, 0, SOME (w, #start t), NONE, close (pending, #start t, acc)))
                   else if isKeyword w andalso depth > 0 andalso not (w = "fun" orelse w = "val") then
                     raise Decl "Syntax error."
                   else if pending = NONE andalso afterLocal = NONE then
                     raise Decl (w ^ " : Unrecognized text in declaration.")
                   else go (rest, depth, pending, afterLocal, acc)
                end
          val pieces = go (toks, 0, NONE, NONE, [])
          (* a var line without a colon joins the colour set before it *)
          fun join ([], acc) = rev acc
            | join (("var", text) :: rest, acc) =
                if CharVector.exists (fn c => c = #":") text then join (rest, ("var", text) :: acc)
                else (case acc of
                        (kw, cs) :: more =>
                          if kw = "color" orelse kw = "colorset" orelse kw = "colset"
                          then join (rest, (kw, cs ^ " " ^ text) :: more)
                          else raise Decl "A variable must have a color-set"
                      | [] => raise Decl "A variable must have a color-set")
            | join (p :: rest, acc) = join (rest, p :: acc)
      in join (pieces, []) end

  (* ---- colour sets ---- *)

  val itemWords = ["var", "msvar", "alias", "declare"]
  val predeclared = ["lt", "legal", "mkstr", "input", "output", "size", "all", "ran", "ord", "col",
                     "mult", "set", "of", "ms", "mkst_col", "mkst_ms", "input_col", "input_ms",
                     "output_col", "output_ms"]
  fun member x l = List.exists (fn y => y = x) l

  fun csDecl (known : string -> bool) (src : string) : colourSet =
      let val toks = List.filter (fn t => #text t <> ";") (T.tokens src)
                     handle T.Lex m => raise Decl ("Syntax error: " ^ m ^ ".")
          val name = case toks of _ :: n :: _ => #text n | _ => raise Decl "A color set needs a name."
          fun err m = raise Decl (name ^ " " ^ m)
          val () = if T.isIdent name then () else err ": Illegal name."
          val body = case toks of _ :: _ :: eq :: rest =>
                                    if #text eq = "=" then rest else err ": \"=\" is missing."
                                | _ => err ": This declaration is incomplete."
          (* the body up to timing and item lines *)
          fun isTail (t : T.token) = member (#text t) ("timed" :: "untimed" :: itemWords)
          val (main, tail) =
              let fun go (acc, []) = (rev acc, [])
                    | go (acc, l as (t :: rest)) = if isTail t then (rev acc, l) else go (t :: acc, rest)
              in go ([], body) end
          fun src' toks = T.sourceOf src toks
          fun cs n = if known n then n else err ("is dependent on a declaration that does not exist: " ^ n)
          fun ident s = if T.isIdent s then s else err (": Illegal name " ^ s ^ ".")
          fun expr [] = err ": This declaration is incomplete."
            | expr toks = ((T.checkBrackets toks handle T.Lex m => err (": " ^ m ^ ".")); src' toks)
          (* "with a .. b" *)
          fun rangeAfter [] = NONE
            | rangeAfter (w :: rest) =
                if #text w <> "with" then err ": Unrecognized text in declaration."
                else case T.splitTop (T.isText "..") rest of
                       [a, b] => SOME (expr a, expr b)
                     | _ => err ": A range is written \"with low .. high\"."
          fun splitWord word (toks : T.token list) =
              let fun go (acc, []) = (rev acc, [])
                    | go (acc, l as ((t : T.token) :: rest)) = if #text t = word then (rev acc, l) else go (t :: acc, rest)
              in go ([], toks) end
          fun names sep toks =
              map (fn [t] => ident (#text t) | _ => err ": Unrecognized text in declaration.")
                  (T.splitTop (T.isText sep) toks)
          fun nonEmpty [] = err ": This declaration is incomplete." | nonEmpty l = l
          fun noDups l = (case List.find (fn x => length (List.filter (fn y => y = x) l) > 1) l of
                            SOME x => err (": " ^ x ^ " appears twice.")
                          | NONE => l)
          val kword = case main of t :: _ => #text t | [] => err ": This declaration is incomplete."
          val args = tl main
          val kind =
              case kword of
                "unit" => (case args of [] => Unit NONE
                                      | [w, u] => if #text w = "with" then Unit (SOME (ident (#text u)))
                                                  else err ": Unrecognized text in declaration."
                                      | _ => err ": Unrecognized text in declaration.")
              | "bool" =>
                  (case map #text args of
                     [] => Bool NONE
                   | ["with", "(", f, ",", t, ")"] => Bool (SOME (ident f, ident t))
                   | _ => err ": A bool color set is written \"bool with (false, true)\".")
              | "int" => Int (rangeAfter args)
              | "real" => Real (rangeAfter args)
              | "IntInf" => IntInf (rangeAfter args)
              | "string" =>
                  let val (chars, lens) = splitWord "length" args
                      val lens' = case lens of [] => NONE
                                             | _ :: rest => (case T.splitTop (T.isText "..") rest of
                                                               [a, b] => SOME (expr a, expr b)
                                                             | _ => err ": A length is written \"length low .. high\".")
                  in Str (rangeAfter chars, lens') end
              | "enumerate" => Enum (noDups (nonEmpty (names "|" args)))
              | "with" => Enum (noDups (nonEmpty (names "|" args)))
              | "index" =>
                  (case args of
                     i :: rest => if #text i = "with" then err ": The index name is missing."
                                  else Index (ident (#text i), rangeAfter rest)
                   | [] => err ": The index name is missing.")
              | "list" =>
                  (case args of
                     e :: rest => if #text e = "with" then err ": This declaration is incomplete."
                                  else List (cs (#text e), rangeAfter rest)
                   | [] => err ": This declaration is incomplete.")
              | "product" => Product (map cs (nonEmpty (names "*" args)))
              | "record" =>
                  let val fields =
                          map (fn [l, c, t] => if #text c = ":" then (ident (#text l), cs (#text t))
                                               else err ": A record field is written \"name:colorset\"."
                                | _ => err ": A record field is written \"name:colorset\".")
                              (T.splitTop (T.isText "*") args)
                      val _ = noDups (map #1 fields)
                  in Record (nonEmpty fields) end
              | "union" =>
                  let val tags =
                          map (fn [l] => (ident (#text l), NONE)
                                | [l, c, t] => if #text c = ":" then (ident (#text l), SOME (cs (#text t)))
                                               else err ": A union tag is written \"tag\" or \"tag:colorset\"."
                                | _ => err ": A union tag is written \"tag\" or \"tag:colorset\".")
                              (T.splitTop (T.isText "+") args)
                      val _ = noDups (map #1 tags)
                  in Union (nonEmpty tags) end
              | "subset" =>
                  (case args of
                     b :: w :: rest =>
                       if #text b = "by" orelse #text b = "with" then err ": This declaration is incomplete."
                       else if #text w = "by" then SubsetBy (cs (#text b), expr rest)
                       else if #text w = "with" then
                         (case rest of
                            (o1 :: more) =>
                              if #text o1 <> "[" orelse null more orelse #text (List.last more) <> "]"
                              then err ": A subset list is written \"with [v1, v2]\"."
                              else let val inner = List.take (more, length more - 1)
                                   in SubsetWith (cs (#text b),
                                                  nonEmpty (map expr (T.splitTop (T.isText ",") inner)))
                                   end
                          | [] => err ": This declaration is incomplete.")
                       else err ": Unrecognized text in declaration."
                   | _ => err ": This declaration is incomplete.")
              | "time" => if null args then Time else err ": Unrecognized text in declaration."
              | other =>
                  if not (null args) then err ": Unrecognized text in declaration."
                  else if other = name then err ": A declaration cannot have itself as parent."
                  else if known other then Dup other
                  else err (other ^ " : Unrecognized type.")
          (* timing and item lines *)
          fun items (timed, vars, msvars, aliases, _, []) = (timed, rev vars, rev msvars, rev aliases)
            | items (timed, vars, msvars, aliases, word, (t : T.token) :: rest) =
                let val w = #text t
                in if w = "timed" andalso word = "" then items (true, vars, msvars, aliases, word, rest)
                   else if w = "untimed" andalso word = "" then items (false, vars, msvars, aliases, word, rest)
                   else if member w itemWords then items (timed, vars, msvars, aliases, w, rest)
                   else if w = "," andalso word <> "" then items (timed, vars, msvars, aliases, word, rest)
                   else case word of
                          "var" => items (timed, ident w :: vars, msvars, aliases, word, rest)
                        | "msvar" => items (timed, vars, ident w :: msvars, aliases, word, rest)
                        | "alias" => items (timed, vars, msvars, ident w :: aliases, word, rest)
                        | "declare" =>
                            if member w predeclared then items (timed, vars, msvars, aliases, word, rest)
                            else err (": " ^ w ^ " is not a predeclared function.")
                        | _ => err ": Unrecognized text in declaration."
                end
          val (timed, vars, msvars, aliases) = items (false, [], [], [], "", tail)
      in {name = name, kind = kind, timed = timed, vars = vars, msvars = msvars, aliases = aliases} end

  (* var a, b : C   or   var a : C ms *)
  fun varDecl (known : string -> bool) (src : string) =
      let val toks = List.filter (fn t => #text t <> ";") (tl (T.tokens src))
                     handle T.Lex m => raise Decl ("Syntax error: " ^ m ^ ".")
                          | Empty => raise Decl "The required colon is missing in a var declaration."
          fun err m = raise Decl (T.trim src ^ " " ^ m)
      in case T.splitTop (T.isText ":") toks of
           [names, csToks] =>
             let val ns = map (fn [t] => if T.isIdent (#text t) then #text t
                                         else err "Illegal variable name."
                                | _ => err "Illegal variable name.")
                              (T.splitTop (T.isText ",") names)
                 val (cs, ms) = case map #text csToks of
                                  [c] => (c, false)
                                | [c, "ms"] => (c, true)
                                | _ => err "Missing colorset in var declaration."
             in if known cs then Vars {names = ns, cs = cs, ms = ms}
                else err "Missing colorset in var declaration."
             end
         | [_] => err "The required colon is missing in a var declaration."
         | _ => err "Syntax error."
      end

  (* ---- ML text of a colour set ---- *)

  fun q s = "\"" ^ String.toString s ^ "\""
  fun commas l = String.concatWith ", " l
  fun listText l = "[" ^ commas l ^ "]"

  (* The values of a finite colour set, as ML text of a list, when there is
   * such a list. *)
  fun valuesOf (kind : kind) : string option =
      case kind of
        Unit (SOME u) => SOME ("[" ^ u ^ "]")
      | Unit NONE => SOME "[()]"
      | Bool _ => SOME "[false, true]"
      | Int (SOME (lo, hi)) => SOME ("List.tabulate (Int.max (0, (" ^ hi ^ ") - (" ^ lo ^ ") + 1), fn i => (" ^ lo ^ ") + i)")
      | Enum vs => SOME (listText vs)
      | Index (i, SOME (lo, hi)) => SOME ("List.tabulate (Int.max (0, (" ^ hi ^ ") - (" ^ lo ^ ") + 1), fn i => " ^ i ^ " ((" ^ lo ^ ") + i))")
      | SubsetWith (_, vs) => SOME (listText vs)
      | _ => NONE

  fun typeText (name : string, kind : kind) : string =
      case kind of
        Unit (SOME u) => "datatype " ^ name ^ " = " ^ u
      | Unit NONE => "type " ^ name ^ " = unit"
      | Bool (SOME (f, t)) => "type " ^ name ^ " = bool;\nval " ^ f ^ " = false;\nval " ^ t ^ " = true"
      | Bool NONE => "type " ^ name ^ " = bool"
      | Int _ => "type " ^ name ^ " = int"
      | Real _ => "type " ^ name ^ " = real"
      | Str _ => "type " ^ name ^ " = string"
      | IntInf _ => "type " ^ name ^ " = IntInf.int"
      | Enum vs => "datatype " ^ name ^ " = " ^ String.concatWith " | " vs
      | Index (i, _) => "datatype " ^ name ^ " = " ^ i ^ " of int"
      | List (e, _) => "type " ^ name ^ " = " ^ e ^ " list"
      | Product cs => "type " ^ name ^ " = " ^ String.concatWith " * " cs
      | Record fs => "type " ^ name ^ " = {" ^ commas (map (fn (l, c) => l ^ " : " ^ c) fs) ^ "}"
      | Union ts => "datatype " ^ name ^ " = "
                    ^ String.concatWith " | " (map (fn (t, SOME c) => t ^ " of " ^ c | (t, NONE) => t) ts)
      | SubsetBy (b, _) => "type " ^ name ^ " = " ^ b
      | SubsetWith (b, _) => "type " ^ name ^ " = " ^ b
      | Time => "type " ^ name ^ " = TIME"
      | Dup c => "type " ^ name ^ " = " ^ c

  fun vars n prefix = List.tabulate (n, fn i => prefix ^ Int.toString (i + 1))

  fun mkText (name : string, kind : kind) : string =
      case kind of
        Unit (SOME u) => "fn _ => " ^ q u
      | Unit NONE => "fn () => \"()\""
      | Bool (SOME (f, t)) => "fn TOLQ'v => if TOLQ'v then " ^ q t ^ " else " ^ q f
      | Bool NONE => "Bool.toString"
      | Int _ => "Int.toString"
      | Real _ => "TolqReal.shortest"
      | Str _ => "fn TOLQ'v => \"\\\"\" ^ String.toString TOLQ'v ^ \"\\\"\""
      | IntInf _ => "IntInf.toString"
      | Enum vs => "fn " ^ String.concatWith " | " (map (fn v => v ^ " => " ^ q v) vs)
      | Index (i, _) => "fn " ^ i ^ " TOLQ'n => " ^ q (i ^ "(") ^ " ^ Int.toString TOLQ'n ^ \")\""
      | List (e, _) => "fn TOLQ'l => \"[\" ^ String.concatWith \",\" (map mkst_col'" ^ e ^ " TOLQ'l) ^ \"]\""
      | Product cs =>
          let val xs = vars (length cs) "TOLQ'v"
          in "fn (" ^ commas xs ^ ") => \"(\" ^ "
             ^ String.concatWith " ^ \",\" ^ " (ListPair.map (fn (c, x) => "mkst_col'" ^ c ^ " " ^ x) (cs, xs))
             ^ " ^ \")\""
          end
      | Record fs =>
          "fn {" ^ commas (map (fn (l, _) => l ^ " = TOLQ'v'" ^ l) fs) ^ "} => \"{\" ^ "
          ^ String.concatWith " ^ \",\" ^ " (map (fn (l, c) => q (l ^ "=") ^ " ^ mkst_col'" ^ c ^ " TOLQ'v'" ^ l) fs)
          ^ " ^ \"}\""
      | Union ts =>
          "fn " ^ String.concatWith " | "
                    (map (fn (t, SOME c) => t ^ " TOLQ'v => " ^ q (t ^ "(") ^ " ^ mkst_col'" ^ c ^ " TOLQ'v ^ \")\""
                           | (t, NONE) => t ^ " => " ^ q t) ts)
      | SubsetBy (b, _) => "mkst_col'" ^ b
      | SubsetWith (b, _) => "mkst_col'" ^ b
      | Time => "mkst_col'TIME"
      | Dup c => "mkst_col'" ^ c

  fun inRange (cmp, lo, hi) = "(" ^ cmp ^ " ((" ^ lo ^ "), TOLQ'v) andalso " ^ cmp ^ " (TOLQ'v, (" ^ hi ^ ")))"

  fun legalText (name : string, kind : kind) : string =
      case kind of
        Int (SOME (lo, hi)) => "fn TOLQ'v => " ^ inRange ("Int.<=", lo, hi)
      | Real (SOME (lo, hi)) => "fn TOLQ'v => " ^ inRange ("Real.<=", lo, hi)
      | IntInf (SOME (lo, hi)) => "fn TOLQ'v => " ^ inRange ("IntInf.<=", lo, hi)
      | Str (chars, lens) =>
          "fn TOLQ'v => "
          ^ (case chars of
               SOME (lo, hi) => "CharVector.all (fn TOLQ'c => String.<= ((" ^ lo ^ "), String.str TOLQ'c) andalso String.<= (String.str TOLQ'c, (" ^ hi ^ "))) TOLQ'v"
             | NONE => "true")
          ^ " andalso "
          ^ (case lens of
               SOME (lo, hi) => "Int.<= ((" ^ lo ^ "), size TOLQ'v) andalso Int.<= (size TOLQ'v, (" ^ hi ^ "))"
             | NONE => "true")
      | Index (i, SOME (lo, hi)) => "fn " ^ i ^ " TOLQ'v => " ^ inRange ("Int.<=", lo, hi)
      | List (e, r) =>
          "fn TOLQ'l => List.all TOLQ'legal_col'" ^ e ^ " TOLQ'l"
          ^ (case r of SOME (lo, hi) => " andalso Int.<= ((" ^ lo ^ "), length TOLQ'l) andalso Int.<= (length TOLQ'l, (" ^ hi ^ "))"
                     | NONE => "")
      | Product cs =>
          let val xs = vars (length cs) "TOLQ'v"
          in "fn (" ^ commas xs ^ ") => "
             ^ String.concatWith " andalso " (ListPair.map (fn (c, x) => "TOLQ'legal_col'" ^ c ^ " " ^ x) (cs, xs))
          end
      | Record fs =>
          "fn {" ^ commas (map (fn (l, _) => l ^ " = TOLQ'v'" ^ l) fs) ^ "} => "
          ^ String.concatWith " andalso " (map (fn (l, c) => "TOLQ'legal_col'" ^ c ^ " TOLQ'v'" ^ l) fs)
      | Union ts =>
          "fn " ^ String.concatWith " | "
                    (map (fn (t, SOME c) => t ^ " TOLQ'v => TOLQ'legal_col'" ^ c ^ " TOLQ'v"
                           | (t, NONE) => t ^ " => true") ts)
      | SubsetBy (b, f) => "fn TOLQ'v => TOLQ'legal_col'" ^ b ^ " TOLQ'v andalso (" ^ f ^ ") TOLQ'v"
      | SubsetWith (b, vs) =>
          "fn TOLQ'v => TOLQ'legal_col'" ^ b ^ " TOLQ'v andalso List.exists (fn TOLQ'w => TolqEq.eq (TOLQ'v, TOLQ'w)) " ^ listText vs
      | Dup c => "TOLQ'legal_col'" ^ c
      | _ => "fn _ => true"

  fun ranText (name : string, kind : kind) : string =
      case (case kind of Int _ => NONE | Index _ => NONE | _ => valuesOf kind) of
        SOME l => "fn () => TolqRandom.pick (" ^ l ^ ")"
      | NONE =>
          case kind of
            Int (SOME (lo, hi)) => "fn () => TolqRandom.int ((" ^ lo ^ "), (" ^ hi ^ "))"
          | Int NONE => "fn () => TolqRandom.int (~1000, 1000)"
          | Index (i, SOME (lo, hi)) => "fn () => " ^ i ^ " (TolqRandom.int ((" ^ lo ^ "), (" ^ hi ^ ")))"
          | Real (SOME (lo, hi)) => "fn () => TolqRandom.real ((" ^ lo ^ "), (" ^ hi ^ "))"
          | Real NONE => "fn () => TolqRandom.real (~1000.0, 1000.0)"
          | IntInf (SOME (lo, hi)) => "fn () => TolqRandom.intInf ((" ^ lo ^ "), (" ^ hi ^ "))"
          | IntInf NONE => "fn () => TolqRandom.intInf (~1000, 1000)"
          | Str (chars, lens) =>
              let val (clo, chi) = getOpt (chars, ("\"a\"", "\"z\""))
                  val (llo, lhi) = getOpt (lens, ("0", "8"))
              in "fn () => CharVector.tabulate (TolqRandom.int ((" ^ llo ^ "), (" ^ lhi ^ ")), fn _ => "
                 ^ "Char.chr (TolqRandom.int (Char.ord (String.sub ((" ^ clo ^ "), 0)), Char.ord (String.sub ((" ^ chi ^ "), 0)))))"
              end
          | Index (i, NONE) => "fn () => " ^ i ^ " (TolqRandom.int (0, 100))"
          | List (e, r) =>
              let val (lo, hi) = getOpt (r, ("0", "4"))
              in "fn () => List.tabulate (TolqRandom.int ((" ^ lo ^ "), (" ^ hi ^ ")), fn _ => ran'" ^ e ^ " ())" end
          | Product cs => "fn () => (" ^ commas (map (fn c => "ran'" ^ c ^ " ()") cs) ^ ")"
          | Record fs => "fn () => {" ^ commas (map (fn (l, c) => l ^ " = ran'" ^ c ^ " ()") fs) ^ "}"
          | Union ts =>
              "fn () => TolqRandom.pick [" ^ commas (map (fn (t, SOME c) => "fn () => " ^ t ^ " (ran'" ^ c ^ " ())"
                                                        | (t, NONE) => "fn () => " ^ t) ts) ^ "] ()"
          | SubsetBy (b, f) => "fn () => TolqLib.ranWhere (ran'" ^ b ^ ", " ^ f ^ ")"
          | Time => "fn () => time ()"
          | Dup c => "ran'" ^ c
          | _ => "fn () => raise Empty"

  (* The helpers every colour set has, defined from its mkst_col', legal_col'
   * and ran' functions. *)
  fun helpers (name : string, timed : bool) : string =
      let val n = name
          val tok = if timed then "TolqLib.printTimedTok (mkst_tms'" ^ n ^ ")"
                    else "TolqLib.printTok (mkst_ms'" ^ n ^ ")"
          val im = if timed then " tms" else " ms"
      in String.concat
           ["val mkst_ms'", n, " : ", n, " ms -> string = TolqMS.text mkst_col'", n, ";\n",
            "val mkst_tms'", n, " : ", n, " tms -> string = TolqMS.ttext mkst_col'", n, ";\n",
            "val TOLQ'mkst_tok'", n, " = ", tok, ";\n",
            "val TOLQ'legal_ms'", n, " : ", n, " ms -> ", n, " ms = TolqLib.legalMs (",
              q n, ", TOLQ'legal_col'", n, ", mkst_col'", n, ");\n",
            "val TOLQ'legal_tms'", n, " : ", n, " tms -> ", n, " tms = TolqLib.legalTms (",
              q n, ", TOLQ'legal_col'", n, ", mkst_col'", n, ");\n",
            "fun TOLQ'legal_ms''", n, " (TOLQ'f : unit -> ", n, im, ") () = TOLQ'legal_", if timed then "tms'" else "ms'", n, " (TOLQ'f ());\n",
            "fun TOLQ'legal_tms''", n, " (TOLQ'f : unit -> ", n, " tms) () = TOLQ'legal_tms'", n, " (TOLQ'f ());\n"]
      end

  fun structureText (name : string, kind : kind) : string =
      let val n = name
          val finite =
              case valuesOf kind of
                SOME l =>
                  String.concat
                    ["  fun values () : ", n, " list = ", l, "\n",
                     "  fun all () = TolqLib.msOfList (values ())\n",
                     "  fun size () = length (values ())\n",
                     "  fun ord TOLQ'v = TolqLib.indexOf (TOLQ'v, values ())\n",
                     "  fun col TOLQ'i = List.nth (values (), TOLQ'i)\n",
                     "  fun lt (TOLQ'a, TOLQ'b) = ord TOLQ'a < ord TOLQ'b\n"]
              | NONE => ""
      in String.concat
           ["structure ", n, " = struct\n",
            "  val mkstr = mkst_col'", n, "\n",
            "  val legal = TOLQ'legal_col'", n, "\n",
            "  val ran = ran'", n, "\n", finite, "end;\n"]
      end

  fun colourSetText ({name, kind, timed, aliases, ...} : colourSet) : string =
      let val n = name
          val main =
              String.concat
                [typeText (n, kind), ";\n",
                 "val mkst_col'", n, " : ", n, " -> string = ", mkText (n, kind), ";\n",
                 "val TOLQ'legal_col'", n, " : ", n, " -> bool = ", legalText (n, kind), ";\n",
                 "val ran'", n, " : unit -> ", n, " = ", ranText (n, kind), ";\n",
                 helpers (n, timed), structureText (n, kind)]
          fun alias a =
              String.concat
                ["type ", a, " = ", n, ";\n",
                 "val mkst_col'", a, " = mkst_col'", n, ";\n",
                 "val TOLQ'legal_col'", a, " = TOLQ'legal_col'", n, ";\n",
                 "val ran'", a, " = ran'", n, ";\n",
                 helpers (a, timed), "structure ", a, " = ", n, ";\n"]
      in String.concat (main :: map alias aliases) end
end

(* Run-time helpers of the generated colour-set functions. *)
structure TolqLib =
struct
  fun msOfList l = List.foldl (fn (v, m) => TolqMS.sum (m, TolqMS.coef (1, v))) TolqMS.empty l
  fun indexOf (v, l) =
      let fun go (_, []) = raise Subscript
            | go (i, w :: rest) = if TolqEq.eq (v, w) then i else go (i + 1, rest)
      in go (0, l) end
  fun ranWhere (ran : unit -> 'a, ok : 'a -> bool) : 'a =
      let fun go 0 = raise Fail "no value of the subset was found"
            | go k = let val v = ran () in if ok v then v else go (k - 1) end
      in go 10000 end
  fun outVal s = print ("\006" ^ s ^ "\006")
  fun printTok (text : 'a TolqMS.ms -> string) (m : 'a TolqMS.ms) =
      (outVal (Int.toString (TolqMS.size m)); outVal (text m))
  fun printTimedTok (text : 'a TolqMS.tms -> string) (m : 'a TolqMS.tms) =
      (outVal (Int.toString (TolqMS.tsize m)); outVal (text m))
  fun illegal (cs, text) = raise Tolq.Error ("Illegal color " ^ text ^ " in color set " ^ cs)
  fun legalMs (cs : string, legal : 'a -> bool, mk : 'a -> string) (m : 'a TolqMS.ms) =
      (List.app (fn (v, _) => if legal v then () else illegal (cs, mk v)) (TolqMS.pairs m); m)
  fun legalTms (cs : string, legal : 'a -> bool, mk : 'a -> string) (m : 'a TolqMS.tms) =
      (List.app (fn (v, _) => if legal v then () else illegal (cs, mk v)) (TolqMS.tpairs m); m)
end
